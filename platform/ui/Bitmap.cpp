// TBitmap over QImage, and the Windows bitmap file format.
//
// QImage rows are 32-bit aligned like the platform's device-independent bitmaps, and its
// formats match the platform's byte layouts: Mono (1 bit, most significant bit first),
// Indexed8, BGR888 (blue, green, red) and RGB32 (blue, green, red, unused on a
// little-endian machine). Only the row order differs: QImage keeps the top row first,
// the platform's memory and the .bmp file the bottom row first. A 24-bit bitmap is held
// as RGB32 while it is drawn on (the painter draws 24-bit pictures through a slow general
// path) and as BGR888 while its rows are read or written as bytes.
#include "platform/ui/Graphics.h"
#include "platform/ui/GraphicsQt.h"
#include "platform/base/Strings.h"
#include <QImage>
#include <QPainter>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {
QImage::Format QtFormat(TPixelFormat Format)
{
    switch (Format) {
    case pf1bit:
        return QImage::Format_Mono;
    case pf8bit:
        return QImage::Format_Indexed8;
    default:
        return QImage::Format_RGB32;
    }
}

constexpr QImage::Format PackedFormat = QImage::Format_BGR888;

int BitsOf(TPixelFormat Format)
{
    switch (Format) {
    case pf1bit:
        return 1;
    case pf8bit:
        return 8;
    case pf24bit:
        return 24;
    default:
        return 32;
    }
}

QList<QRgb> DefaultColorTable(TPixelFormat Format)
{
    QList<QRgb> table;
    if (Format == pf1bit) {
        table << qRgb(0, 0, 0) << qRgb(255, 255, 255);
    } else if (Format == pf8bit) {
        for (int i = 0; i < 256; ++i) table << qRgb(i, i, i);
    }
    return table;
}

int RowBytes(int Width, int Bits) { return ((Width * Bits + 31) / 32) * 4; }

// Fills a new picture with white, as a fresh bitmap shows.
void FillWhite(QImage& Image)
{
    if (Image.format() == QImage::Format_Mono || Image.format() == QImage::Format_Indexed8) {
        const QList<QRgb> table = Image.colorTable();
        int best = 0, bestDistance = 1 << 30;
        for (int i = 0; i < table.size(); ++i) {
            const int d = (255 - qRed(table[i])) + (255 - qGreen(table[i])) + (255 - qBlue(table[i]));
            if (d < bestDistance) best = i, bestDistance = d;
        }
        Image.fill(uint(best));
    } else {
        Image.fill(Qt::white);
    }
}
}  // namespace

TBitmap::TBitmap() : FImage(std::make_unique<QImage>()), FCanvas(std::make_unique<TCanvas>())
{
    FCanvas->SetImage(FImage.get(), this);
}

TBitmap::~TBitmap() = default;

int TBitmap::GetWidth() const { return FWidth; }
int TBitmap::GetHeight() const { return FHeight; }
void TBitmap::SetWidth(int Value) { SetSize(Value, FHeight); }
void TBitmap::SetHeight(int Value) { SetSize(FWidth, Value); }

void TBitmap::SetSize(int Width, int Height)
{
    Width = std::max(Width, 0);
    Height = std::max(Height, 0);
    if (Width == FWidth && Height == FHeight) return;
    Recreate(Width, Height, FFormat);
}

void TBitmap::SetPixelFormat(TPixelFormat Value)
{
    if (Value == FFormat) return;
    Recreate(FWidth, FHeight, Value);
}

int TBitmap::BitsPerPixel() const { return BitsOf(FFormat); }
int TBitmap::BytesPerLine() const { return RowBytes(FWidth, BitsOf(FFormat)); }

void TBitmap::Recreate(int Width, int Height, TPixelFormat Format)
{
    FCanvas->EndPainter();
    UseDrawingLayout();
    const QImage::Format qtFormat = QtFormat(Format);
    QImage next;
    if (Width > 0 && Height > 0) {
        next = QImage(Width, Height, qtFormat);
        if (next.isNull()) throw std::runtime_error("Out of system resources");
        QList<QRgb> table =
            FImage->isNull() || QtFormat(FFormat) != qtFormat ? DefaultColorTable(Format) : FImage->colorTable();
        if (!table.isEmpty()) next.setColorTable(table);
        std::memset(next.bits(), 0, static_cast<size_t>(next.sizeInBytes()));
        FillWhite(next);
        if (!FImage->isNull()) {
            QImage old = FImage->format() == qtFormat ? *FImage : FImage->convertToFormat(qtFormat, next.colorTable());
            const int rows = std::min(Height, old.height());
            const int cols = std::min(Width, old.width());
            const int bits = next.depth();
            for (int y = 0; y < rows; ++y) {
                const uchar* from = old.constScanLine(y);
                uchar* to = next.scanLine(y);
                if (bits >= 8) {
                    std::memcpy(to, from, static_cast<size_t>(cols * bits / 8));
                } else {
                    for (int x = 0; x < cols; ++x) {
                        const uchar mask = uchar(0x80u >> (x & 7));
                        to[x >> 3] = uchar((to[x >> 3] & ~mask) | (from[x >> 3] & mask));
                    }
                }
            }
        }
    }
    *FImage = next;
    FWidth = Width;
    FHeight = Height;
    FFormat = Format;
    Changed();
}

void TBitmap::Changed()
{
    if (OnChange) OnChange(this);
}

void TBitmap::UseDrawingLayout() const
{
    if (!FPacked) return;
    FCanvas->EndPainter();
    if (!FImage->isNull()) *FImage = FImage->convertToFormat(QImage::Format_RGB32);
    FPacked = false;
}

void TBitmap::UsePackedLayout() const
{
    if (FPacked || FFormat != pf24bit) return;
    FCanvas->EndPainter();
    if (!FImage->isNull()) *FImage = FImage->convertToFormat(PackedFormat);
    FPacked = true;
}

std::vector<TColor> TBitmap::GetColorTable() const
{
    std::vector<TColor> colors;
    const QList<QRgb> table = FImage->isNull() ? DefaultColorTable(FFormat) : FImage->colorTable();
    for (QRgb c : table) colors.push_back(FromQRgb(c));
    return colors;
}

void TBitmap::SetColorTable(const std::vector<TColor>& Colors)
{
    if (FFormat != pf1bit && FFormat != pf8bit) return;
    QList<QRgb> table;
    for (TColor c : Colors) {
        const TColor rgb = ColorToRGB(c);
        table << qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    }
    const int size = FFormat == pf1bit ? 2 : 256;
    while (table.size() < size) table << qRgb(0, 0, 0);
    table.resize(size);
    if (!FImage->isNull()) FImage->setColorTable(table);
    Changed();
}

std::uint8_t* TBitmap::ScanLine(int Row)
{
    if (Row < 0 || Row >= FHeight || FImage->isNull()) throw std::out_of_range("Scan line index out of range");
    UsePackedLayout();
    // Bytes written through the row are drawn over later: the canvas must not hold a
    // painter on the old rows.
    FCanvas->EndPainter();
    return FImage->scanLine(Row);
}

const std::uint8_t* TBitmap::ScanLine(int Row) const
{
    if (Row < 0 || Row >= FHeight || FImage->isNull()) throw std::out_of_range("Scan line index out of range");
    UsePackedLayout();
    return FImage->constScanLine(Row);
}

std::vector<std::uint8_t> TBitmap::GetBits() const
{
    UsePackedLayout();
    const int stride = BytesPerLine();
    std::vector<std::uint8_t> bits(static_cast<size_t>(stride) * static_cast<size_t>(FHeight), 0);
    // Only the pixel bytes are copied: the row padding stays zero.
    const size_t used = static_cast<size_t>((FWidth * BitsPerPixel() + 7) / 8);
    if (FImage->isNull()) return bits;
    for (int r = 0; r < FHeight; ++r) {
        std::memcpy(bits.data() + static_cast<size_t>(r) * stride, FImage->constScanLine(FHeight - 1 - r), used);
    }
    return bits;
}

bool TBitmap::SetBits(const std::vector<std::uint8_t>& Bits)
{
    const int stride = BytesPerLine();
    if (Bits.size() != static_cast<size_t>(stride) * static_cast<size_t>(FHeight)) return false;
    if (FImage->isNull()) return true;
    UsePackedLayout();
    FCanvas->EndPainter();
    for (int r = 0; r < FHeight; ++r) {
        std::memcpy(FImage->scanLine(FHeight - 1 - r), Bits.data() + static_cast<size_t>(r) * stride,
                    static_cast<size_t>(stride));
    }
    Changed();
    return true;
}

void TBitmap::Assign(const TBitmap& Source)
{
    if (&Source == this) return;
    FCanvas->EndPainter();
    *FImage = Source.FImage->copy();
    FWidth = Source.FWidth;
    FHeight = Source.FHeight;
    FFormat = Source.FFormat;
    FPacked = Source.FPacked;
    Changed();
}

// ---------------------------------------------------------------------------------------
// .bmp files: a 14-byte file header ("BM", file size, two reserved words, offset of the
// pixels), a 40-byte information header (header size, width, height, planes 1, bits per
// pixel, compression 0, image size, two resolutions, colours used, colours important),
// the colour table of indexed bitmaps as blue, green, red, 0 quads, then the rows bottom
// first, each padded to 32 bits. All numbers little-endian.

namespace {
constexpr size_t FileHeaderSize = 14;
constexpr size_t InfoHeaderSize = 40;

void Put16(std::vector<std::uint8_t>& Out, std::uint32_t V)
{
    Out.push_back(std::uint8_t(V));
    Out.push_back(std::uint8_t(V >> 8));
}

void Put32(std::vector<std::uint8_t>& Out, std::uint32_t V)
{
    Put16(Out, V & 0xFFFFu);
    Put16(Out, V >> 16);
}

std::uint32_t Get16(const std::vector<std::uint8_t>& In, size_t At)
{
    return std::uint32_t(In[At]) | (std::uint32_t(In[At + 1]) << 8);
}

std::uint32_t Get32(const std::vector<std::uint8_t>& In, size_t At)
{
    return Get16(In, At) | (Get16(In, At + 2) << 16);
}

[[noreturn]] void InvalidBitmap(const std::string& Why)
{
    throw std::runtime_error("Bitmap image is not valid: " + Why);
}
}  // namespace

std::vector<std::uint8_t> TBitmap::SaveToBytes() const
{
    const std::vector<TColor> table =
        (FFormat == pf1bit || FFormat == pf8bit) ? GetColorTable() : std::vector<TColor>{};
    const std::vector<std::uint8_t> bits = GetBits();
    const std::uint32_t offset = std::uint32_t(FileHeaderSize + InfoHeaderSize + table.size() * 4);
    std::vector<std::uint8_t> out;
    out.reserve(offset + bits.size());
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + std::uint32_t(bits.size()));
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, offset);
    Put32(out, InfoHeaderSize);
    Put32(out, std::uint32_t(FWidth));
    Put32(out, std::uint32_t(FHeight));
    Put16(out, 1);
    Put16(out, std::uint32_t(BitsPerPixel()));
    Put32(out, 0);
    Put32(out, std::uint32_t(bits.size()));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, std::uint32_t(table.size()));
    Put32(out, 0);
    for (TColor c : table) {
        out.push_back(std::uint8_t(GetBValue(c)));
        out.push_back(std::uint8_t(GetGValue(c)));
        out.push_back(std::uint8_t(GetRValue(c)));
        out.push_back(0);
    }
    out.insert(out.end(), bits.begin(), bits.end());
    return out;
}

void TBitmap::SaveToFile(const std::string& FileName) const
{
    const std::vector<std::uint8_t> bytes = SaveToBytes();
    std::string error;
    if (!WriteFileAtomically(FileName, std::string(bytes.begin(), bytes.end()), &error)) {
        throw std::runtime_error("Cannot create file \"" + FileName + "\"" + (error.empty() ? "" : ": " + error));
    }
}

void TBitmap::LoadFromFile(const std::string& FileName)
{
    std::ifstream in(FileName, std::ios::binary);
    if (!in) throw std::runtime_error("Cannot open file \"" + FileName + "\"");
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LoadFromBytes(bytes);
}

void TBitmap::LoadFromBytes(const std::vector<std::uint8_t>& Bytes)
{
    if (Bytes.size() < FileHeaderSize + InfoHeaderSize || Bytes[0] != 'B' || Bytes[1] != 'M')
        InvalidBitmap("no bitmap header");
    const std::uint32_t offset = Get32(Bytes, 10);
    const std::uint32_t headerSize = Get32(Bytes, 14);
    if (headerSize < InfoHeaderSize || FileHeaderSize + headerSize > Bytes.size())
        InvalidBitmap("bad information header");
    const std::int32_t width = std::int32_t(Get32(Bytes, 18));
    const std::int32_t rawHeight = std::int32_t(Get32(Bytes, 22));
    const std::uint32_t planes = Get16(Bytes, 26);
    const std::uint32_t bitCount = Get16(Bytes, 28);
    const std::uint32_t compression = Get32(Bytes, 30);
    std::uint32_t colorsUsed = Get32(Bytes, 46);
    if (planes != 1 || compression != 0) InvalidBitmap("unsupported compression");
    TPixelFormat format;
    switch (bitCount) {
    case 1:
        format = pf1bit;
        break;
    case 8:
        format = pf8bit;
        break;
    case 24:
        format = pf24bit;
        break;
    case 32:
        format = pf32bit;
        break;
    default:
        InvalidBitmap("unsupported bits per pixel");
    }
    const bool topDown = rawHeight < 0;
    const long long height = topDown ? -static_cast<long long>(rawHeight) : rawHeight;
    if (width < 0 || width > 65535 || height > 65535) InvalidBitmap("bad size");

    const size_t tableEntries = bitCount <= 8 ? (colorsUsed == 0 ? (1u << bitCount) : colorsUsed) : 0;
    if (tableEntries > (1u << std::min<std::uint32_t>(bitCount, 8))) InvalidBitmap("bad colour table");
    const size_t tableAt = FileHeaderSize + headerSize;
    if (tableAt + tableEntries * 4 > Bytes.size()) InvalidBitmap("colour table cut short");
    const size_t stride = static_cast<size_t>(RowBytes(width, int(bitCount)));
    if (offset < tableAt + tableEntries * 4 || offset > Bytes.size() ||
        stride * static_cast<size_t>(height) > Bytes.size() - offset) {
        InvalidBitmap("pixel data cut short");
    }

    std::vector<TColor> table;
    for (size_t i = 0; i < tableEntries; ++i) {
        const size_t at = tableAt + i * 4;
        table.push_back(RGB(Bytes[at + 2], Bytes[at + 1], Bytes[at]));
    }

    FCanvas->EndPainter();
    *FImage = QImage();
    FWidth = FHeight = 0;
    FFormat = format;
    FPacked = false;
    // A picture without columns or without rows has no pixels at all: it loads as an
    // empty bitmap rather than one that counts rows it has no memory for.
    if (width == 0 || height == 0)
        Recreate(0, 0, format);
    else
        Recreate(width, int(height), format);
    if (!table.empty()) {
        const std::vector<TColor> full = table;
        SetColorTable(full);
    }
    UsePackedLayout();
    for (int r = 0; r < FHeight; ++r) {
        const int row = topDown ? r : FHeight - 1 - r;
        std::memcpy(FImage->scanLine(row), Bytes.data() + offset + static_cast<size_t>(r) * stride, stride);
    }
    Changed();
}
