// The count field's limit: the field holds at most 100000 elements.
#pragma once

#include "framework/AfxString.h"

namespace dialog {

inline constexpr long long kCountLimit = 100000;
inline constexpr wchar_t kCountLimitText[] = L"100000";
/// What the user is told when the field was rewritten to the limit.
inline constexpr wchar_t kCountLimitWarning[] = L"最大値を超えました。\r\n100000に書き換えました。";
/// Texts longer than this are too large without being converted.
inline constexpr int kCountMaxConvertedLength = 18;

/// True when the count field's text must be rewritten to the limit: a text of
/// 19 or more characters, or one whose leading number is above 100000.
bool CountExceedsLimit(const CString& text);

}  // namespace dialog
