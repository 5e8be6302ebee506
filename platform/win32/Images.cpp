// The program's images as Windows bitmaps and icons: the module's own
// resources where it has them (mrvmaker.exe embeds its icon and bitmap),
// else decoded from the PNG images of the program's resources (FindImageResource)
// with the Windows Imaging Component.
#include "platform/win32/Images.h"

#include "platform/Template.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace mrv::platform::win32 {

BITMAPINFO TopDownBitmapInfo(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: the first row is the top one
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

namespace {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (m_p) m_p->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** operator&() { return &m_p; }
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> bgra;  // premultiplied, top-down
};

// Decodes one PNG image into 32-bit BGRA pixels, premultiplied by alpha or not.
bool Decode(std::span<const unsigned char> png, Pixels& out, bool premultiplied)
{
    // COM may already be running in this thread; then this adds a reference.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool ok = false;
    {
        ComPtr<IWICImagingFactory> factory;
        ComPtr<IWICStream> stream;
        ComPtr<IWICBitmapDecoder> decoder;
        ComPtr<IWICBitmapFrameDecode> frame;
        ComPtr<IWICFormatConverter> converter;
        UINT width = 0;
        UINT height = 0;
        if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                       reinterpret_cast<void**>(&factory))) &&
            SUCCEEDED(factory->CreateStream(&stream)) &&
            SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(png.data()), static_cast<DWORD>(png.size()))) &&
            SUCCEEDED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) &&
            SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
            SUCCEEDED(converter->Initialize(frame.get(), premultiplied ? GUID_WICPixelFormat32bppPBGRA : GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                            0.0, WICBitmapPaletteTypeCustom)) &&
            SUCCEEDED(converter->GetSize(&width, &height)) && width > 0 && height > 0) {
            out.width = static_cast<int>(width);
            out.height = static_cast<int>(height);
            out.bgra.assign(static_cast<std::size_t>(width) * height, 0);
            ok = SUCCEEDED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(out.bgra.size() * 4),
                                                 reinterpret_cast<BYTE*>(out.bgra.data())));
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return ok;
}

HBITMAP Section(const Pixels& pixels)
{
    const BITMAPINFO info = TopDownBitmapInfo(pixels.width, pixels.height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) std::memcpy(bits, pixels.bgra.data(), pixels.bgra.size() * 4);
    return bitmap;
}

} // namespace

HBITMAP LoadProgramBitmap(int id)
{
    if (auto native = static_cast<HBITMAP>(LoadImageW(Instance(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)))
        return native;
    const auto images = FindImageResource(id);
    Pixels pixels;
    if (images.empty() || !Decode(images.front().png, pixels, true)) return nullptr;
    // Shown on the dialog's face: what is transparent takes the face's colour.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (std::uint32_t& p : pixels.bgra) {
        const std::uint32_t a = p >> 24;
        const auto blend = [&](int shift, std::uint32_t back) {
            return ((p >> shift) & 0xFF) + (back * (255 - a) + 127) / 255;
        };
        p = 0xFF000000u | (blend(16, GetRValue(face)) << 16) | (blend(8, GetGValue(face)) << 8) | blend(0, GetBValue(face));
    }
    return Section(pixels);
}

HICON LoadProgramIcon(int id, int size)
{
    if (auto native = static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)))
        return native;
    // The image nearest the size asked for, the larger one on a tie.
    const auto images = FindImageResource(id);
    Pixels best;
    for (const ImageResource& image : images) {
        Pixels pixels;
        if (!Decode(image.png, pixels, false)) continue;
        const auto distance = [&](const Pixels& p) { return std::abs(p.width - size) * 2 - (p.width > size ? 1 : 0); };
        if (best.width == 0 || distance(pixels) < distance(best)) best = std::move(pixels);
    }
    if (best.width == 0) return nullptr;
    HBITMAP color = Section(best);
    // The colours carry their own transparency; the mask is all zero.
    const std::vector<BYTE> zeros(static_cast<std::size_t>((best.width + 15) / 16 * 2 * best.height), 0);
    HBITMAP mask = CreateBitmap(best.width, best.height, 1, 1, zeros.data());
    ICONINFO info{TRUE, 0, 0, mask, color};
    HICON icon = color && mask ? CreateIconIndirect(&info) : nullptr;
    if (color) DeleteObject(color);
    if (mask) DeleteObject(mask);
    return icon;
}

} // namespace mrv::platform::win32
