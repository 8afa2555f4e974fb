#pragma once
// What a lookup of a field by name compares first: the length of an ASCII name, its first
// eight characters and its last eight, each packed as bytes into a word. A walk asks for
// the same few fields row after row; comparing three integers settles every such lookup
// of a name of up to sixteen characters, whatever text type the name comes in.

#include <QAnyStringView>
#include <QByteArray>
#include <QString>

#include <cstring>

namespace dataset {

struct FieldNameKey {
    qsizetype size = -1; // -1: the name has a character outside ASCII where it was looked at
    quint64 head = 0;    // characters 0 to 7 (zero past the end)
    quint64 tail = 0;    // the last eight characters of a longer name

    static FieldNameKey of(QAnyStringView name) {
        return name.visit([](auto view) { return of(view.data(), view.size()); });
    }
    // 8-bit text (Latin-1 or UTF-8, which agree on ASCII), read a word at a time and built
    // in registers: bytes copied to memory and read back as one word would wait for the
    // copy to land.
    static FieldNameKey of(const char* text, qsizetype n) {
        quint64 head = 0, tail = 0;
        if (n >= 8) {
            std::memcpy(&head, text, 8);
            std::memcpy(&tail, text + n - 8, 8);
        } else if (n >= 4) { // two words of four that overlap on equal bytes
            quint32 first, last;
            std::memcpy(&first, text, 4);
            std::memcpy(&last, text + n - 4, 4);
            head = first | (quint64(last) << (8 * (n - 4)));
        } else {
            for (qsizetype i = 0; i < n; ++i)
                head |= quint64(uchar(text[i])) << (8 * i);
        }
        return (head | tail) & 0x8080808080808080ull ? FieldNameKey{} : FieldNameKey{n, head, tail};
    }
    static FieldNameKey of(const char8_t* text, qsizetype n) {
        return of(reinterpret_cast<const char*>(text), n);
    }
    static FieldNameKey of(const QChar* text, qsizetype n) {
        quint64 head = 0, tail = 0;
        for (qsizetype i = 0; i < n && i < 8; ++i) {
            if (text[i].unicode() >= 0x80)
                return {};
            head |= quint64(text[i].unicode()) << (8 * i);
        }
        for (qsizetype i = 0; n >= 8 && i < 8; ++i) {
            const char16_t c = text[n - 8 + i].unicode();
            if (c >= 0x80)
                return {};
            tail |= quint64(c) << (8 * i);
        }
        return {n, head, tail};
    }
    // A slot among `count` (a power of two) for a cache of lookups.
    size_t slot(size_t count) const {
        return size_t(((head ^ tail ^ quint64(size)) * 0x9E3779B97F4A7C15ull) >> 58) & (count - 1);
    }

    static quint32 code(QChar c) { return c.unicode(); }
    static quint32 code(char c) { return (unsigned char)c; }
    static quint32 code(char8_t c) { return c; }

    // `name` (whose key is `other`) spells the ASCII name `ascii` this key was made of.
    bool matches(const FieldNameKey& other, QAnyStringView name, const QByteArray& ascii) const {
        if (size < 0 || size != other.size || head != other.head || tail != other.tail)
            return false;
        return size <= 16 || name.visit([&](auto view) {
            for (qsizetype i = 8; i < size - 8; ++i)
                if (code(view.data()[i]) != quint32(uchar(ascii[i])))
                    return false;
            return true;
        });
    }
};

} // namespace dataset
