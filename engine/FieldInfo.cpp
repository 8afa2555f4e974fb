#include "engine/FieldInfo.h"

namespace engine {

bool isKnownFieldType(uint8_t code) {
    switch (code) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
    case 0x09:
    case 0x0C:
    case 0x0D:
    case 0x0E:
    case 0x0F:
    case 0x10:
    case 0x14:
    case 0x15:
    case 0x16:
    case 0x17:
    case 0x18:
        return true;
    default:
        return false;
    }
}

bool isBlobType(FieldType t) {
    switch (t) {
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FmtMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
        return true;
    default:
        return false;
    }
}

int fieldWidth(FieldType t, int size) {
    switch (t) {
    case FieldType::Date:
    case FieldType::Long:
    case FieldType::Time:
    case FieldType::AutoInc:
        return 4;
    case FieldType::Short:
        return 2;
    case FieldType::Money:
    case FieldType::Number:
    case FieldType::Timestamp:
        return 8;
    case FieldType::Logical:
        return 1;
    case FieldType::Bcd:
        return 17; // the size byte holds the decimals, the width is fixed
    default:
        return size; // Alpha, Bytes, BLOB types (leader + 10)
    }
}

int minimumLevel(FieldType t) {
    switch (t) {
    case FieldType::Alpha:
    case FieldType::Date:
    case FieldType::Short:
    case FieldType::Money:
    case FieldType::Number:
        return 3;
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FmtMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
        return 4;
    default:
        return 5;
    }
}

int FieldInfo::typeCode() const {
    switch (type) {
    case FieldType::Alpha:
        return 1;
    case FieldType::Short:
        return 2;
    case FieldType::Long:
        return 3;
    case FieldType::Logical:
        return 5;
    case FieldType::Number:
        return 6;
    case FieldType::Money:
        return 7;
    case FieldType::Bcd:
        return 8;
    case FieldType::Date:
        return 9;
    case FieldType::Time:
        return 10;
    case FieldType::Timestamp:
        return 11;
    case FieldType::Bytes:
        return 12;
    case FieldType::AutoInc:
        return 14;
    case FieldType::Blob:
        return 15;
    case FieldType::Memo:
        return 16;
    case FieldType::Graphic:
        return 17;
    case FieldType::FmtMemo:
        return 18;
    case FieldType::Ole:
        return 19;
    }
    return 0;
}

int FieldInfo::displayWidth() const {
    return type == FieldType::Alpha ? size : 10;
}

int FieldInfo::reportedSize() const {
    switch (type) {
    case FieldType::Alpha:
    case FieldType::Bytes:
    case FieldType::Bcd:
        return size;
    default:
        return isBlobType(type) ? size - 10 : 0;
    }
}

} // namespace engine
