#include "engine/ValueCodec.h"

#include "engine/BlobFile.h"
#include "engine/Bytes.h"
#include "engine/CodePage.h"
#include "engine/EngineError.h"

#include <cmath>
#include <cstring>

namespace engine {

namespace codec {

bool allZero(const char* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (p[i] != 0)
            return false;
    return true;
}

bool decodeInt(const char* p, int width, int64_t& out) {
    uint64_t u = 0;
    for (int i = 0; i < width; ++i)
        u = (u << 8) | uint8_t(p[i]);
    if (u == 0)
        return false;
    const uint64_t bias = uint64_t(1) << (8 * width - 1);
    out = int64_t(u) - int64_t(bias); // flipping the top bit = removing the bias
    return true;
}

void encodeInt(char* p, int width, int64_t v) {
    const uint64_t bias = uint64_t(1) << (8 * width - 1);
    uint64_t u = uint64_t(v + int64_t(bias));
    for (int i = width - 1; i >= 0; --i) {
        p[i] = char(u & 0xFF);
        u >>= 8;
    }
}

bool decodeDouble(const char* p, double& out) {
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i)
        u = (u << 8) | uint8_t(p[i]);
    if (u == 0)
        return false;
    if (u & (uint64_t(1) << 63))
        u &= ~(uint64_t(1) << 63);
    else
        u = ~u;
    std::memcpy(&out, &u, 8);
    return true;
}

void encodeDouble(char* p, double v) {
    if (v == 0)
        v = 0; // -0 becomes +0
    uint64_t u;
    std::memcpy(&u, &v, 8);
    if (u & (uint64_t(1) << 63))
        u = ~u;
    else
        u |= uint64_t(1) << 63;
    for (int i = 7; i >= 0; --i) {
        p[i] = char(u & 0xFF);
        u >>= 8;
    }
}

bool decodeBcd(const char* p, int scale, std::string& out) {
    if (allZero(p, 17))
        return false;
    const bool negative = (uint8_t(p[0]) & 0x80) == 0;
    std::string digits;
    digits.reserve(32);
    for (int i = 0; i < 32; ++i) {
        int nibble = (i % 2 == 0) ? (uint8_t(p[1 + i / 2]) >> 4) : (uint8_t(p[1 + i / 2]) & 0x0F);
        if (negative)
            nibble ^= 0x0F;
        digits += char('0' + (nibble > 9 ? 0 : nibble)); // noise beyond 9 reads as 0
    }
    const int intDigits = 32 - scale;
    size_t firstNonZero = 0;
    while (firstNonZero < size_t(intDigits) - 1 && intDigits > 0 && digits[firstNonZero] == '0')
        ++firstNonZero;
    std::string intPart =
        intDigits > 0 ? digits.substr(firstNonZero, size_t(intDigits) - firstNonZero) : "0";
    std::string frac = digits.substr(size_t(std::max(intDigits, 0)));
    const bool isZero = digits.find_first_not_of('0') == std::string::npos;
    out.clear();
    if (negative && !isZero)
        out += '-';
    out += intPart;
    if (scale > 0) {
        out += '.';
        out += frac;
    }
    return true;
}

bool encodeBcd(char* p, int scale, std::string_view text) {
    bool negative = false;
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    std::string intPart, frac;
    bool seenPoint = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' || c == ',') {
            if (seenPoint)
                return false;
            seenPoint = true;
        } else if (c >= '0' && c <= '9') {
            (seenPoint ? frac : intPart) += c;
        } else {
            return false;
        }
    }
    if (intPart.empty() && frac.empty())
        return false;
    while (intPart.size() > 1 && intPart[0] == '0')
        intPart.erase(0, 1);
    if (int(frac.size()) > scale) { // extra decimals must be zeros: no silent rounding
        if (frac.find_first_not_of('0', size_t(scale)) != std::string::npos)
            return false;
        frac.resize(size_t(scale));
    }
    frac.append(size_t(scale) - frac.size(), '0');
    if (int(intPart.size()) > 32 - scale && !(intPart == "0"))
        return false;
    std::string digits =
        std::string(size_t(32 - scale) - std::min(intPart.size(), size_t(32 - scale)), '0') +
        (intPart.size() <= size_t(32 - scale) ? intPart : "") + frac;
    if (digits.size() != 32)
        return false;
    if (digits.find_first_not_of('0') == std::string::npos)
        negative = false;
    p[0] = char((negative ? 0x00 : 0x80) | 0x40 | scale);
    for (int k = 0; k < 16; ++k) {
        int hi = digits[size_t(2 * k)] - '0', lo = digits[size_t(2 * k + 1)] - '0';
        if (negative) {
            hi ^= 0x0F;
            lo ^= 0x0F;
        }
        p[1 + k] = char(hi << 4 | lo);
    }
    return true;
}

} // namespace codec

using namespace codec;

namespace {
constexpr int64_t kMsPerDay = 86400000;

// Eight bytes at a time: text fields are read row after row in walks.
bool isAscii(const char* p, size_t n) {
    constexpr uint64_t kHighBits = 0x8080808080808080ull;
    uint64_t seen = 0;
    size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        uint64_t word;
        std::memcpy(&word, p + k, 8);
        seen |= word;
    }
    for (; k < n; ++k)
        seen |= uint8_t(p[k]);
    return (seen & kHighBits) == 0;
}
} // namespace

bool ValueCodec::plainText(const FieldInfo& f, const char* record, std::string_view& out) const {
    if (f.type != FieldType::Alpha)
        return false;
    const char* p = record + f.offset;
    const size_t n = ::strnlen(p, size_t(f.width));
    if (n > 0 && !(m_cp.isSingleByte() && isAscii(p, n)))
        return false;
    out = std::string_view(p, n);
    return true;
}

bool ValueCodec::plainInteger(const FieldInfo& f, const char* record, int64_t& out,
                              bool& null) const {
    if (f.type != FieldType::Short && f.type != FieldType::Long && f.type != FieldType::AutoInc)
        return false;
    null = !codec::decodeInt(record + f.offset, f.width, out);
    return true;
}

void ValueCodec::decode(const FieldInfo& f, const char* record, Value& out) const {
    // `out` is reused from row to row: a null must not keep the last row's payload.
    out.text.clear();
    out.integer = 0;
    out.real = 0;
    out.boolean = false;
    const char* p = record + f.offset;
    int64_t i = 0;
    double d = 0;
    switch (f.type) {
    case FieldType::Alpha: {
        std::string_view plain;
        if (plainText(f, record, plain)) {
            out.kind = plain.empty() ? Value::Kind::Null : Value::Kind::Text;
            out.text.assign(plain);
            return;
        }
        out.kind = Value::Kind::Text;
        out.text = m_cp.decode(std::string_view(p, ::strnlen(p, size_t(f.width))));
        return;
    }
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
    case FieldType::Date:
    case FieldType::Time:
        if (!decodeInt(p, f.width, i)) {
            out.kind = Value::Kind::Null;
            return;
        }
        out.integer = i;
        out.kind = f.type == FieldType::Date   ? Value::Kind::Date
                   : f.type == FieldType::Time ? Value::Kind::Time
                                               : Value::Kind::Integer;
        return;
    case FieldType::Logical:
        if (p[0] == 0) {
            out.kind = Value::Kind::Null;
            return;
        }
        out.kind = Value::Kind::Boolean;
        out.boolean = (uint8_t(p[0]) & 0x7F) != 0;
        return;
    case FieldType::Number:
    case FieldType::Money:
        if (!decodeDouble(p, d)) {
            out.kind = Value::Kind::Null;
            return;
        }
        out.kind = Value::Kind::Float;
        out.real = d;
        return;
    case FieldType::Timestamp:
        if (!decodeDouble(p, d) || !std::isfinite(d) || std::fabs(d) > 9.0e17) {
            out.kind = Value::Kind::Null;
            return;
        }
        out.kind = Value::Kind::Timestamp;
        out.integer = std::llround(d);
        return;
    case FieldType::Bcd:
        out.kind = decodeBcd(p, f.size, out.text) ? Value::Kind::Bcd : Value::Kind::Null;
        return;
    case FieldType::Bytes:
        if (allZero(p, size_t(f.width))) {
            out.kind = Value::Kind::Null;
            return;
        }
        out.kind = Value::Kind::Bytes;
        out.text.assign(p, size_t(f.width));
        return;
    default:
        decodeBlob(f, p, out);
        return;
    }
}

void ValueCodec::decodeBlob(const FieldInfo& f, const char* p, Value& out) const {
    const int leader = f.width - 10;
    const uint32_t mbRef = bytes::u32(p, size_t(leader));
    const uint32_t length = bytes::u32(p, size_t(leader) + 4);
    if (length == 0) {
        out.kind = Value::Kind::Null;
        return;
    }
    std::string data;
    if (mbRef == 0) {
        if (length > uint32_t(leader))
            throw EngineError(
                ErrorCode::Corrupt,
                "Table endommagée : le BLOB du champ « " + f.name +
                    " » est plus long que son préambule sans référence au fichier .MB");
        data.assign(p, length);
    } else {
        if (!m_blobs)
            throw EngineError(ErrorCode::Corrupt, "Table endommagée : fichier des BLOB manquant");
        data = m_blobs->read(mbRef, length);
    }
    if (f.type == FieldType::Graphic && data.size() >= 8)
        data.erase(0, 8); // the picture prefix: 01 00 00 01 + u32 length
    if (f.type == FieldType::Memo) {
        out.kind = Value::Kind::Text;
        out.text = m_cp.decode(data);
    } else {
        out.kind = Value::Kind::Bytes;
        out.text = std::move(data);
    }
    if (out.text.empty())
        out.kind = Value::Kind::Null;
}

void ValueCodec::refuse(const FieldInfo& f, const std::string& why) const {
    throw EngineError(ErrorCode::InvalidArgument,
                      "Valeur refusée pour le champ « " + f.name + " » : " + why);
}

namespace {

bool asInteger(const Value& v, int64_t& out) {
    switch (v.kind) {
    case Value::Kind::Integer:
    case Value::Kind::Date:
    case Value::Kind::Time:
    case Value::Kind::Timestamp:
        out = v.integer;
        return true;
    case Value::Kind::Boolean:
        out = v.boolean ? 1 : 0;
        return true;
    case Value::Kind::Float:
        if (!std::isfinite(v.real) || v.real != std::floor(v.real) || std::fabs(v.real) > 9.2e18)
            return false;
        out = int64_t(v.real);
        return true;
    default:
        return false;
    }
}

} // namespace

void ValueCodec::encode(const FieldInfo& f, const Value& v, char* record) const {
    char* p = record + f.offset;
    if (v.isNull()) {
        std::memset(p, 0, size_t(f.width));
        return;
    }
    int64_t i = 0;
    switch (f.type) {
    case FieldType::Alpha: {
        if (v.kind != Value::Kind::Text && v.kind != Value::Kind::Bytes)
            refuse(f, "texte attendu");
        std::string bytes;
        if (!m_cp.encode(v.text, bytes))
            refuse(f, "caractère impossible à écrire dans la page de codes " +
                          std::to_string(m_cp.number()));
        if (bytes.find('\0') != std::string::npos)
            refuse(f, "caractère nul dans le texte");
        if (bytes.size() > size_t(f.width))
            refuse(f, "texte de " + std::to_string(bytes.size()) + " caractères pour " +
                          std::to_string(f.width) + " au plus");
        std::memset(p, 0, size_t(f.width));
        std::memcpy(p, bytes.data(), bytes.size());
        return;
    }
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
    case FieldType::Date: {
        if (!asInteger(v, i))
            refuse(f, "nombre entier attendu");
        const int64_t limit = f.width == 2 ? 32767 : 2147483647;
        if (i < -limit || i > limit)
            refuse(f, "valeur " + std::to_string(i) + " hors limites");
        encodeInt(p, f.width, i);
        return;
    }
    case FieldType::Time:
        if (!asInteger(v, i) || i < 0 || i >= kMsPerDay)
            refuse(f, "heure incorrecte");
        encodeInt(p, 4, i);
        return;
    case FieldType::Logical:
        if (!asInteger(v, i))
            refuse(f, "valeur logique attendue");
        p[0] = char(i ? 0x81 : 0x80);
        return;
    case FieldType::Number:
    case FieldType::Money: {
        double d = v.real;
        if (v.kind != Value::Kind::Float) {
            if (!asInteger(v, i))
                refuse(f, "nombre attendu");
            d = double(i);
        }
        if (!std::isfinite(d))
            refuse(f, "nombre non fini");
        encodeDouble(p, d);
        return;
    }
    case FieldType::Timestamp:
        if (!asInteger(v, i))
            refuse(f, "date et heure attendues");
        encodeDouble(p, double(i));
        return;
    case FieldType::Bcd: {
        std::string text = v.text;
        if (v.kind == Value::Kind::Integer)
            text = std::to_string(v.integer);
        else if (v.kind == Value::Kind::Float) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.*f", f.size, v.real);
            text = buf;
        } else if (v.kind != Value::Kind::Bcd && v.kind != Value::Kind::Text)
            refuse(f, "nombre décimal attendu");
        if (!encodeBcd(p, f.size, text))
            refuse(f, "nombre décimal « " + text + " » incorrect ou trop grand");
        return;
    }
    case FieldType::Bytes:
        if (v.kind != Value::Kind::Bytes && v.kind != Value::Kind::Text)
            refuse(f, "octets attendus");
        if (v.text.size() > size_t(f.width))
            refuse(f, "trop d'octets");
        std::memset(p, 0, size_t(f.width));
        std::memcpy(p, v.text.data(), v.text.size());
        return;
    default:
        encodeBlob(f, v, p);
        return;
    }
}

void ValueCodec::encodeBlob(const FieldInfo& f, const Value& v, char* p) const {
    if (v.kind != Value::Kind::Bytes && v.kind != Value::Kind::Text)
        refuse(f, "texte ou octets attendus");
    std::string data;
    if (f.type == FieldType::Memo && v.kind == Value::Kind::Text) {
        if (!m_cp.encode(v.text, data))
            refuse(f, "caractère impossible à écrire dans la page de codes " +
                          std::to_string(m_cp.number()));
    } else {
        data = v.text;
    }
    const size_t leader = size_t(f.width - 10);
    std::string_view leaderCopy = data;
    if (f.type == FieldType::Graphic && !data.empty()) {
        std::string prefixed("\x01\x00\x00\x01", 4);
        prefixed.append(4, '\0');
        bytes::put32(prefixed.data(), 4, uint32_t(data.size()));
        data = prefixed + data;
        leaderCopy = std::string_view(data).substr(8);
    }
    std::memset(p, 0, size_t(f.width));
    if (data.empty())
        return;
    if (data.size() > 0xFFFFFFF0u)
        refuse(f, "BLOB trop grand");
    uint32_t mbRef = 0;
    uint16_t mod = 0;
    if (data.size() > leader || f.type == FieldType::Graphic) {
        if (!m_blobs)
            refuse(f, "fichier des BLOB indisponible");
        mbRef = m_blobs->write(data);
        mod = 1;
    }
    std::memcpy(p, leaderCopy.data(), std::min(leader, leaderCopy.size()));
    bytes::put32(p, leader, mbRef);
    bytes::put32(p, leader + 4, uint32_t(data.size()));
    bytes::put16(p, leader + 8, mod);
}

std::string ValueCodec::keyImage(const FieldInfo& f, const Value& v) const {
    if (f.type == FieldType::Alpha &&
        (v.kind == Value::Kind::Text || v.kind == Value::Kind::Bytes)) {
        std::string bytes;
        if (!m_cp.encode(v.text, bytes))
            bytes = v.text; // cannot match any stored value; keep it comparable
        bytes.resize(::strnlen(bytes.data(), bytes.size())); // as stored: up to a NUL
        bytes.resize(size_t(f.width), '\0');
        return bytes;
    }
    std::string rec(size_t(f.offset + f.width), '\0');
    encode(f, v, rec.data());
    return rec.substr(size_t(f.offset));
}

} // namespace engine
