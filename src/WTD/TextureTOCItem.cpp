#include "WTD/TextureTOCItem.h"

#include "Common/STDFunctions/ByteReader.h"
#include "Common/STDFunctions/LittleEndian.h"

TextureTOCItem::TextureTOCItem()
    : itemType(VALID_ITEM_TYPE), reserved04(0), reserved08(0), reserved09(0), reserved0A(1), reserved0C(0),
      reserved10(0), namePointer(0), reserved18(0), width(0), height(0), format(FORMAT_A8B8G8R8), stride(0),
      textureKind(0), mipLevelCount(1), floatParameters{1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f},
      recordEndPointer(0), reserved44(0), pixelDataPointer(0), reserved4C{0, 0, 0, 0}
{
}

bool TextureTOCItem::readFields(const ByteReader& reader, uint64_t offset)
{
    if (!reader.contains(offset, SIZE))
        return false;
    const unsigned char* bytes = reader.getData() + offset;
    reserved04 = LittleEndian::loadU32(bytes + 4);
    reserved08 = bytes[8];
    reserved09 = bytes[9];
    reserved0A = LittleEndian::loadU16(bytes + 10);
    reserved0C = LittleEndian::loadU32(bytes + 12);
    reserved10 = LittleEndian::loadU32(bytes + 16);
    namePointer = LittleEndian::loadU32(bytes + 20);
    reserved18 = LittleEndian::loadU32(bytes + 24);
    width = static_cast<int16_t>(LittleEndian::loadU16(bytes + 28));
    height = static_cast<int16_t>(LittleEndian::loadU16(bytes + 30));
    format = LittleEndian::loadU32(bytes + 32);
    stride = LittleEndian::loadU16(bytes + 36);
    textureKind = bytes[38];
    mipLevelCount = bytes[39];
    for (int i = 0; i < 6; ++i)
        floatParameters[i] = LittleEndian::loadF32(bytes + 40 + 4 * i);
    recordEndPointer = LittleEndian::loadU32(bytes + 64);
    reserved44 = LittleEndian::loadU32(bytes + 68);
    pixelDataPointer = LittleEndian::loadU32(bytes + 72);
    for (int i = 0; i < 4; ++i)
        reserved4C[i] = bytes[76 + i];
    return true;
}

void TextureTOCItem::writeTo(unsigned char* destination) const
{
    LittleEndian::storeU32(destination + 0, itemType);
    LittleEndian::storeU32(destination + 4, reserved04);
    destination[8] = reserved08;
    destination[9] = reserved09;
    LittleEndian::storeU16(destination + 10, reserved0A);
    LittleEndian::storeU32(destination + 12, reserved0C);
    LittleEndian::storeU32(destination + 16, reserved10);
    LittleEndian::storeU32(destination + 20, namePointer);
    LittleEndian::storeU32(destination + 24, reserved18);
    LittleEndian::storeU16(destination + 28, static_cast<uint16_t>(width));
    LittleEndian::storeU16(destination + 30, static_cast<uint16_t>(height));
    LittleEndian::storeU32(destination + 32, format);
    LittleEndian::storeU16(destination + 36, stride);
    destination[38] = textureKind;
    destination[39] = mipLevelCount;
    for (int i = 0; i < 6; ++i)
        LittleEndian::storeF32(destination + 40 + 4 * i, floatParameters[i]);
    LittleEndian::storeU32(destination + 64, recordEndPointer);
    LittleEndian::storeU32(destination + 68, reserved44);
    LittleEndian::storeU32(destination + 72, pixelDataPointer);
    for (int i = 0; i < 4; ++i)
        destination[76 + i] = reserved4C[i];
}
