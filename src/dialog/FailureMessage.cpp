#include "FailureMessage.h"

namespace dialog {

CString FailureMessage(int buttonId, const bench::Measurement& failed) {
    const bench::KernelError& error = *failed.error;
    CString text;
    text.Format(L"コントロール %d の処理を中止しました。\r\n", buttonId);
    CString reason;
    switch (error.kind) {
    case bench::ErrorKind::CountRefused:
        if (failed.elementCount < 0) {
            reason = L"処理回数が正しくありません。負の数では配列を確保できません。\r\n0 以上の数を入力してください。";
        } else {
            reason.Format(L"処理回数が正しくありません。この配列に入る要素は %d 個までです。\r\n%d 以下の数を入力してください。",
                          error.maxCount, error.maxCount);
        }
        break;
    case bench::ErrorKind::OutOfMemory:
        reason = L"メモリが不足しているため、配列を確保できませんでした。\r\n"
                 L"処理回数を減らすか、ほかのアプリケーションを閉じてから、もう一度押してください。";
        break;
    case bench::ErrorKind::Failed:
        reason = L"処理中にエラーが発生しました。詳しい内容は標準エラー出力に書き出しました。";
        break;
    }
    return text + reason;
}

}  // namespace dialog
