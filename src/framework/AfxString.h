// CString (wide) and CStringA (narrow, UTF-8): reference-counted,
// copy-on-write strings one pointer wide, as the program's code expects them.
//
// The object holds a pointer to the characters of a heap buffer that is
// preceded by a small header {length, capacity, refs}. Copies share the
// buffer; the first change to a shared buffer makes a private one. The empty
// string is a shared read-only "nil" buffer, so default construction and
// Empty() never allocate.
//
// The reference count is a plain int: strings are only ever touched from the
// single GUI thread, so no atomics are paid for on the copy path.
//
// Allocation failure, and any length that does not fit an int, throws
// CMemoryException; every operation that can throw leaves the string with its
// old value.
#pragma once

#include "Resources.h"
#include "WinDef.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>
#include <stdexcept>
#include <type_traits>

/// Thrown when a string cannot get the memory it needs.
class CMemoryException : public std::bad_alloc {
public:
    const char* what() const noexcept override { return "CMemoryException: out of memory"; }
};

namespace afx::detail {

// The conversions below assume the Linux ABI: wchar_t holds one UTF-32 code unit.
static_assert(sizeof(wchar_t) == 4, "wchar_t must be UTF-32");

struct StringHeader {
    int length;    // characters, without the terminating zero
    int capacity;  // characters the buffer can hold, without the terminating zero
    int refs;      // owners of the buffer; -1 marks the shared nil buffer
};

// The empty string every empty CStringT points at. It is constant, so a stray
// write into it faults at once instead of corrupting every empty string.
template <class CharT>
struct NilString {
    StringHeader header;
    CharT zero;
};
// One of each, defined once (AfxString.cpp) rather than inline: code compiled
// several times into the program (the kernels' build variants) keeps private
// copies of inline entities, and strings that one copy makes empty are
// released and copied by another; all of them must agree on the address.
extern const NilString<char> kNilStringA;
extern const NilString<wchar_t> kNilStringW;

static_assert(offsetof(NilString<char>, zero) == sizeof(StringHeader));
static_assert(offsetof(NilString<wchar_t>, zero) == sizeof(StringHeader));
static_assert(sizeof(StringHeader) % alignof(wchar_t) == 0);

[[noreturn]] void ThrowMemoryException();

// UTF-8 <-> UTF-32, independent of the process locale. Bad input never fails:
// invalid UTF-8 decodes to U+FFFD, and surrogates or values beyond U+10FFFF
// encode as '?'.
long long Utf8Length(const wchar_t* s, int n) noexcept;        // bytes Utf8Encode writes
void Utf8Encode(const wchar_t* s, int n, char* out) noexcept;  // no terminator
int Utf8DecodedLength(const char* s, int n) noexcept;          // characters Utf8Decode writes
void Utf8Decode(const char* s, int n, wchar_t* out) noexcept;  // no terminator

}  // namespace afx::detail

template <class CharT>
class CStringT {
    static_assert(std::is_same_v<CharT, char> || std::is_same_v<CharT, wchar_t>,
                  "CStringT holds char or wchar_t");

public:
    using XCHAR = CharT;
    using OtherChar = std::conditional_t<std::is_same_v<CharT, char>, wchar_t, char>;

    CStringT() noexcept : m_pch(Nil()) {}
    CStringT(const CharT* psz) : m_pch(Nil()) { AssignCopy(psz, Length(psz)); }
    CStringT(const OtherChar* psz) : m_pch(Nil()) { AssignConverted(psz, OtherLength(psz)); }
    CStringT(const CStringT<OtherChar>& other) : m_pch(Nil()) {
        AssignConverted(other.GetString(), other.GetLength());
    }
    CStringT(const CStringT& other) noexcept : m_pch(other.m_pch) { AddRef(); }
    CStringT(CStringT&& other) noexcept : m_pch(other.m_pch) { other.m_pch = Nil(); }
    ~CStringT() { Release(); }

    CStringT& operator=(const CStringT& other) noexcept {
        if (m_pch != other.m_pch) {  // also covers self-assignment
            CharT* const old = m_pch;
            m_pch = other.m_pch;
            AddRef();
            ReleaseBuffer(old);
        }
        return *this;
    }
    CStringT& operator=(CStringT&& other) noexcept {
        if (this != &other) {
            Release();
            m_pch = other.m_pch;
            other.m_pch = Nil();
        }
        return *this;
    }
    // psz may point into this string's own text.
    CStringT& operator=(const CharT* psz) {
        AssignCopy(psz, Length(psz));
        return *this;
    }
    CStringT& operator=(const OtherChar* psz) {
        AssignConverted(psz, OtherLength(psz));
        return *this;
    }
    CStringT& operator=(const CStringT<OtherChar>& other) {
        AssignConverted(other.GetString(), other.GetLength());
        return *this;
    }

    int GetLength() const noexcept { return Header()->length; }
    bool IsEmpty() const noexcept { return GetLength() == 0; }
    void Empty() noexcept {
        Release();
        m_pch = Nil();
    }
    const CharT* GetString() const noexcept { return m_pch; }
    operator const CharT*() const noexcept { return m_pch; }

    /// Precondition 0 <= i < GetLength(); otherwise throws std::out_of_range.
    CharT GetAt(int i) const {
        if (i < 0 || i >= GetLength()) {
            throw std::out_of_range("CStringT::GetAt: index out of range");
        }
        return m_pch[i];
    }
    CharT operator[](int i) const { return GetAt(i); }

    // printf-style formatting that replaces the content. Pass strings as
    // GetString(), never as CStringT objects. Under glibc "%s" in a wide format
    // means a narrow string; use "%ls" for wide ones. Arguments must not point
    // into this string's own text. A result that cannot be encoded (EILSEQ)
    // leaves the string empty; one too long for memory throws CMemoryException.
    __attribute__((format(printf, 2, 3))) void Format(const char* format, ...)
        requires std::is_same_v<CharT, char>
    {
        va_list args;
        va_start(args, format);
        try {
            FormatV(format, args);
        } catch (...) {
            va_end(args);
            throw;
        }
        va_end(args);
    }
    void Format(const wchar_t* format, ...)
        requires std::is_same_v<CharT, wchar_t>
    {
        va_list args;
        va_start(args, format);
        try {
            FormatV(format, args);
        } catch (...) {
            va_end(args);
            throw;
        }
        va_end(args);
    }

    /// Loads the string-table text with that id; FALSE (and empty) when there is none.
    BOOL LoadString(UINT id) {
        const wchar_t* text = afx::FindString(id);
        if (text == nullptr) {
            Empty();
            return FALSE;
        }
        *this = text;
        return TRUE;
    }

    // psz may point into this string's own text (s += s works).
    CStringT& operator+=(const CharT* psz) {
        Append(psz, Length(psz));
        return *this;
    }
    CStringT& operator+=(const CStringT& other) {
        Append(other.m_pch, other.GetLength());
        return *this;
    }

    friend CStringT operator+(const CStringT& a, const CharT* b) {
        return Concat(a.m_pch, a.GetLength(), b, Length(b));
    }
    friend CStringT operator+(const CharT* a, const CStringT& b) {
        return Concat(a, Length(a), b.m_pch, b.GetLength());
    }
    friend CStringT operator+(const CStringT& a, const CStringT& b) {
        if (b.IsEmpty()) return a;  // a shared copy costs no allocation
        if (a.IsEmpty()) return b;
        return Concat(a.m_pch, a.GetLength(), b.m_pch, b.GetLength());
    }

    friend bool operator==(const CStringT& a, const CStringT& b) noexcept {
        return a.m_pch == b.m_pch || (a.GetLength() == b.GetLength() && Equal(a.m_pch, b.m_pch, a.GetLength()));
    }
    friend bool operator==(const CStringT& a, const CharT* b) noexcept {
        if (b == nullptr) return a.IsEmpty();
        return RawLength(b) == static_cast<std::size_t>(a.GetLength()) && Equal(a.m_pch, b, a.GetLength());
    }
    friend bool operator==(const CharT* a, const CStringT& b) noexcept { return b == a; }
    friend bool operator!=(const CStringT& a, const CStringT& b) noexcept { return !(a == b); }
    friend bool operator!=(const CStringT& a, const CharT* b) noexcept { return !(a == b); }
    friend bool operator!=(const CharT* a, const CStringT& b) noexcept { return !(b == a); }

private:
    using Header_t = afx::detail::StringHeader;

    // Results up to this many characters are formatted on the stack first, so
    // that the old text survives any failure and short results cost no allocation.
    static constexpr int kFormatStackChars = 256;
    // vswprintf cannot say how much room it needs; give up beyond this.
    static constexpr int kFormatMaxChars = 1 << 20;

    static CharT* Nil() noexcept {
        // Never written through: the nil buffer is never writable (refs != 1).
        if constexpr (std::is_same_v<CharT, char>) {
            return const_cast<CharT*>(&afx::detail::kNilStringA.zero);
        } else {
            return const_cast<CharT*>(&afx::detail::kNilStringW.zero);
        }
    }
    static Header_t* HeaderOf(CharT* p) noexcept {
        return std::launder(reinterpret_cast<Header_t*>(reinterpret_cast<unsigned char*>(p) - sizeof(Header_t)));
    }
    const Header_t* Header() const noexcept {
        return std::launder(
            reinterpret_cast<const Header_t*>(reinterpret_cast<const unsigned char*>(m_pch) - sizeof(Header_t)));
    }
    Header_t* Header() noexcept { return HeaderOf(m_pch); }
    // Ours alone to change in place.
    bool IsWritable() const noexcept { return Header()->refs == 1; }

    void AddRef() noexcept {
        if (m_pch != Nil()) ++Header()->refs;
    }
    static void ReleaseBuffer(CharT* p) noexcept {
        if (p != Nil()) {
            Header_t* h = HeaderOf(p);
            if (--h->refs == 0) ::operator delete(h);
        }
    }
    void Release() noexcept { ReleaseBuffer(m_pch); }

    template <class C>
    static std::size_t RawLength(const C* psz) noexcept {
        if (psz == nullptr) return 0;
        if constexpr (std::is_same_v<C, char>) {
            return std::strlen(psz);
        } else {
            return std::wcslen(psz);
        }
    }
    static int Length(const CharT* psz) { return CheckedLength(RawLength(psz)); }
    static int OtherLength(const OtherChar* psz) { return CheckedLength(RawLength(psz)); }
    template <class N>
    static int CheckedLength(N n) {
        if (n > static_cast<N>(INT_MAX)) afx::detail::ThrowMemoryException();
        return static_cast<int>(n);
    }
    static bool Equal(const CharT* a, const CharT* b, int n) noexcept {
        return n == 0 || std::memcmp(a, b, static_cast<std::size_t>(n) * sizeof(CharT)) == 0;
    }

    // A new, unshared buffer with room for capacity characters; text "".
    static CharT* Allocate(int capacity) {
        constexpr std::size_t maxChars = (SIZE_MAX - sizeof(Header_t)) / sizeof(CharT) - 1;
        if (capacity < 0 || static_cast<std::size_t>(capacity) > maxChars) afx::detail::ThrowMemoryException();
        const std::size_t bytes = sizeof(Header_t) + (static_cast<std::size_t>(capacity) + 1) * sizeof(CharT);
        void* mem = ::operator new(bytes, std::nothrow);
        if (mem == nullptr) afx::detail::ThrowMemoryException();
        ::new (mem) Header_t{0, capacity, 1};
        CharT* p = ::new (static_cast<unsigned char*>(mem) + sizeof(Header_t)) CharT[static_cast<std::size_t>(capacity) + 1];
        p[0] = CharT();
        return p;
    }
    // Sets the length of a writable buffer and terminates it.
    void SetLength(int n) noexcept {
        Header()->length = n;
        m_pch[n] = CharT();
    }
    // Makes m_pch the buffer p, which holds n characters.
    void Adopt(CharT* p, int n) noexcept {
        Release();
        m_pch = p;
        SetLength(n);
    }

    void AssignCopy(const CharT* src, int n) {
        if (n == 0) {
            Empty();
        } else if (IsWritable() && n <= Header()->capacity) {
            // src may lie inside our own buffer.
            std::memmove(m_pch, src, static_cast<std::size_t>(n) * sizeof(CharT));
            SetLength(n);
        } else {
            // Copy before releasing: src may be our own (shared) text.
            CharT* p = Allocate(n);
            std::memcpy(p, src, static_cast<std::size_t>(n) * sizeof(CharT));
            Adopt(p, n);
        }
    }

    // The one buffer, ours or new, to write n characters into. The old text is
    // only given up once nothing can throw any more.
    CharT* BufferFor(int n) {
        if (IsWritable() && n <= Header()->capacity) return m_pch;
        CharT* p = Allocate(n);
        Release();
        m_pch = p;
        return p;
    }

    void AssignConverted(const OtherChar* src, int n) {
        if (n == 0) {
            Empty();
            return;
        }
        if constexpr (std::is_same_v<CharT, char>) {
            const int len = CheckedLength(afx::detail::Utf8Length(src, n));
            CharT* p = BufferFor(len);
            afx::detail::Utf8Encode(src, n, p);
            SetLength(len);
        } else {
            const int len = afx::detail::Utf8DecodedLength(src, n);
            CharT* p = BufferFor(len);
            afx::detail::Utf8Decode(src, n, p);
            SetLength(len);
        }
    }

    void Append(const CharT* src, int n) {
        if (n == 0) return;
        const int oldLength = GetLength();
        const int newLength = CheckedLength(static_cast<long long>(oldLength) + n);
        if (IsWritable() && newLength <= Header()->capacity) {
            // src may be our own text; it lies wholly before the part written.
            std::memcpy(m_pch + oldLength, src, static_cast<std::size_t>(n) * sizeof(CharT));
            SetLength(newLength);
            return;
        }
        // Grow geometrically when appending to our own buffer, so that loops of
        // += stay linear; a first private copy gets exactly what it needs.
        int capacity = newLength;
        if (IsWritable()) {
            const long long grown = static_cast<long long>(Header()->capacity) * 3 / 2;
            if (grown > capacity) capacity = grown > INT_MAX ? INT_MAX : static_cast<int>(grown);
        }
        CharT* p = Allocate(capacity);
        std::memcpy(p, m_pch, static_cast<std::size_t>(oldLength) * sizeof(CharT));
        std::memcpy(p + oldLength, src, static_cast<std::size_t>(n) * sizeof(CharT));
        Adopt(p, newLength);
    }

    static CStringT Concat(const CharT* a, int na, const CharT* b, int nb) {
        CStringT result;
        const int n = CheckedLength(static_cast<long long>(na) + nb);
        if (n == 0) return result;
        CharT* p = Allocate(n);
        if (na > 0) std::memcpy(p, a, static_cast<std::size_t>(na) * sizeof(CharT));
        if (nb > 0) std::memcpy(p + na, b, static_cast<std::size_t>(nb) * sizeof(CharT));
        result.m_pch = p;
        result.SetLength(n);
        return result;
    }

    static int Print(CharT* buffer, int size, const CharT* format, va_list args) noexcept {
        if constexpr (std::is_same_v<CharT, char>) {
            return std::vsnprintf(buffer, static_cast<std::size_t>(size), format, args);
        } else {
            return std::vswprintf(buffer, static_cast<std::size_t>(size), format, args);
        }
    }
    // One formatting pass over a copy of args, so that args can be used again.
    static int PrintCopy(CharT* buffer, int size, const CharT* format, va_list args) noexcept {
        va_list copy;
        va_copy(copy, args);
        errno = 0;
        const int n = Print(buffer, size, format, copy);
        va_end(copy);
        return n;
    }

    void FormatV(const CharT* format, va_list args) {
        if (format == nullptr) {
            Empty();
            return;
        }
        CharT stack[kFormatStackChars];
        int n = PrintCopy(stack, kFormatStackChars, format, args);
        if (n >= 0 && n < kFormatStackChars) {
            // The common case: no allocation when our buffer is unshared and large enough.
            AssignCopy(stack, n);
            return;
        }
        if (n < 0 && errno == EILSEQ) {
            Empty();
            return;
        }
        if constexpr (std::is_same_v<CharT, char>) {
            // vsnprintf told us the exact length.
            if (n < 0) afx::detail::ThrowMemoryException();  // longer than INT_MAX
            if (IsWritable() && n <= Header()->capacity) {
                PrintCopy(m_pch, n + 1, format, args);
                SetLength(n);
                return;
            }
            CharT* p = Allocate(n);
            PrintCopy(p, n + 1, format, args);
            Adopt(p, n);
        } else {
            // vswprintf only says "too small" (-1): retry with doubling buffers.
            for (int size = 2 * kFormatStackChars; size <= kFormatMaxChars; size *= 2) {
                CharT* p = Allocate(size - 1);
                n = PrintCopy(p, size, format, args);
                if (n >= 0) {
                    Adopt(p, n);
                    return;
                }
                const bool badEncoding = errno == EILSEQ;
                ReleaseBuffer(p);
                if (badEncoding) {
                    Empty();
                    return;
                }
            }
            afx::detail::ThrowMemoryException();
        }
    }

    CharT* m_pch;  // the characters; the header sits just before them
};

using CString = CStringT<wchar_t>;
using CStringA = CStringT<char>;

static_assert(sizeof(CString) == sizeof(void*));
static_assert(sizeof(CStringA) == sizeof(void*));
