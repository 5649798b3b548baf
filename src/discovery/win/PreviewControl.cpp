#include "discovery/win/PreviewControl.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "base/Swallowed.h"
#include "discovery/DwgPreview.h"
#include "discovery/PreviewImage.h"
#include "discovery/win/WinFileByteSource.h"
#include "win/ComInit.h"

namespace quillon::discovery {

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t ClassName[] = L"QuillonDrawingPreview";
constexpr UINT PreviewReady = WM_APP + 1;

// Transparent parts of a picture show the box's white.
void flattenOntoWhite(std::vector<std::uint8_t>& pixels) {
    for (std::size_t i = 0; i + 3 < pixels.size(); i += 4) {
        const unsigned alpha = pixels[i + 3];
        for (std::size_t c = 0; c < 3; ++c)
            pixels[i + c] = static_cast<std::uint8_t>((pixels[i + c] * alpha + 255 * (255 - alpha) + 127) / 255);
        pixels[i + 3] = 0xFF;
    }
}

std::optional<BgraImage> decodePng(IWICImagingFactory& factory, std::vector<std::uint8_t>& png,
                                   std::uint32_t maxDimension) {
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapSource> converted;
    if (FAILED(factory.CreateStream(&stream))) return std::nullopt;
    if (FAILED(stream->InitializeFromMemory(png.data(), static_cast<DWORD>(png.size())))) return std::nullopt;
    if (FAILED(factory.CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)))
        return std::nullopt;
    if (FAILED(decoder->GetFrame(0, &frame))) return std::nullopt;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(frame->GetSize(&width, &height))) return std::nullopt;
    if (width == 0 || height == 0 || width > maxDimension || height > maxDimension) return std::nullopt;
    if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), &converted))) return std::nullopt;

    BgraImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(std::size_t{width} * height * 4);
    if (FAILED(converted->CopyPixels(nullptr, width * 4, static_cast<UINT>(image.pixels.size()), image.pixels.data())))
        return std::nullopt;
    flattenOntoWhite(image.pixels);
    return image;
}

}  // namespace

// What the window and its worker share; the worker keeps it alive on its own.
struct PreviewControl::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    HWND target = nullptr;
    bool quit = false;
    std::optional<std::pair<std::uint64_t, std::string>> request;
    std::uint64_t busyWith = 0;  // the generation being read, 0 when idle
    std::optional<std::pair<std::uint64_t, BgraImage>> result;
    win::UniqueHandle workerThread;  // for cancelling a read that is no longer wanted
    Loader loader;

    void run();
    static BgraImage load(IWICImagingFactory* factory, const std::string& path);
};

BgraImage PreviewControl::Shared::load(IWICImagingFactory* factory, const std::string& path) {
    WinFileByteSource file(path);
    if (!file.isOpen()) return {};
    const PreviewLimits limits;
    DwgPreview preview = readDwgPreview(file, limits);
    if (preview.kind == PreviewKind::Bmp) return BgraImage{preview.width, preview.height, std::move(preview.pixels)};
    if (preview.kind == PreviewKind::Png && factory) {
        if (auto image = decodePng(*factory, preview.payload, limits.maxDimension)) return std::move(*image);
    }
    return {};
}

void PreviewControl::Shared::run() {
    const win::ComInit apartment(COINIT_MULTITHREADED, std::nothrow);
    {
        win::UniqueHandle self;
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), self.out(), 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
        std::lock_guard lock(mutex);
        workerThread = std::move(self);
    }
    {
        // Without the imaging component only bitmap previews show.
        ComPtr<IWICImagingFactory> factory;
        CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.GetAddressOf()));
        for (;;) {
            std::pair<std::uint64_t, std::string> job;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [&] { return quit || request; });
                if (quit) break;
                job = std::move(*request);
                request.reset();
                busyWith = job.first;
            }
            BgraImage image;
            try {
                image = loader ? loader(job.second) : load(factory.Get(), job.second);
            } catch (...) {
                base::swallowed(
                    "whatever fails in one drawing (memory for a large picture) leaves the box empty; it must not end "
                    "the program or this thread");
                image = {};
            }
            HWND notify = nullptr;
            {
                std::lock_guard lock(mutex);
                busyWith = 0;
                if (request) continue;  // already superseded: go straight to the newer drawing
                result.emplace(job.first, std::move(image));
                notify = target;
            }
            if (notify) PostMessageW(notify, PreviewReady, 0, 0);
        }
    }
}

PreviewControl::PreviewControl(Loader loader) : shared_(std::make_shared<Shared>()) {
    shared_->loader = std::move(loader);
}

PreviewControl::~PreviewControl() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->quit = true;
        shared_->target = nullptr;
        if (shared_->busyWith != 0 && shared_->workerThread) CancelSynchronousIo(shared_->workerThread.get());
    }
    shared_->wake.notify_all();
    if (worker_.joinable()) worker_.join();
}

void PreviewControl::create(HWND parent, int controlId, const RECT& bounds) {
    BaseWindow::create(ClassName, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, bounds.left, bounds.top,
                       bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)));
    {
        std::lock_guard lock(shared_->mutex);
        shared_->target = hwnd();
    }
    if (!worker_.joinable()) worker_ = std::thread([shared = shared_] { shared->run(); });
}

void PreviewControl::setDrawing(const std::string& fullPath) {
    path_ = fullPath;
    ++generation_;
    picture_.reset();
    pictureWidth_ = pictureHeight_ = 0;
    if (hwnd()) InvalidateRect(hwnd(), nullptr, TRUE);
    {
        std::lock_guard lock(shared_->mutex);
        shared_->result.reset();
        if (fullPath.empty()) {
            shared_->request.reset();
        } else {
            shared_->request.emplace(generation_, fullPath);
        }
        // Under the lock the worker cannot move on to the new request, so only the stale read is cancelled.
        if (shared_->busyWith != 0 && shared_->busyWith < generation_ && shared_->workerThread)
            CancelSynchronousIo(shared_->workerThread.get());
    }
    shared_->wake.notify_all();
}

void PreviewControl::takeResult() {
    std::optional<std::pair<std::uint64_t, BgraImage>> result;
    {
        std::lock_guard lock(shared_->mutex);
        result.swap(shared_->result);
    }
    if (!result || result->first != generation_) return;
    const BgraImage& image = result->second;
    if (image.width == 0 || image.height == 0) return;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(image.width);
    info.bmiHeader.biHeight = -static_cast<LONG>(image.height);  // top row first, as decoded
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return;
    std::memcpy(bits, image.pixels.data(), image.pixels.size());
    picture_ = std::move(bitmap);
    pictureWidth_ = static_cast<int>(image.width);
    pictureHeight_ = static_cast<int>(image.height);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void PreviewControl::paint() {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd(), &ps);
    RECT client{};
    GetClientRect(hwnd(), &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const int boxWidth = client.right - client.left;
    const int boxHeight = client.bottom - client.top;
    if (picture_ && boxWidth > 0 && boxHeight > 0) {
        // The largest size that fits: whichever side runs out of room first decides.
        int width = boxWidth;
        int height = MulDiv(pictureHeight_, boxWidth, pictureWidth_);
        if (height > boxHeight) {
            height = boxHeight;
            width = MulDiv(pictureWidth_, boxHeight, pictureHeight_);
        }
        const win::UniqueMemoryDc source(CreateCompatibleDC(dc));
        HGDIOBJ previous = SelectObject(source.get(), picture_.get());
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, (boxWidth - width) / 2, (boxHeight - height) / 2, width, height, source.get(), 0, 0,
                   pictureWidth_, pictureHeight_, SRCCOPY);
        SelectObject(source.get(), previous);
    }
    EndPaint(hwnd(), &ps);
}

LRESULT PreviewControl::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case PreviewReady:
            takeResult();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painting fills the whole box anyway
        case WM_PAINT:
            paint();
            return 0;
        case WM_SIZE:
            InvalidateRect(hwnd(), nullptr, TRUE);
            return 0;
        case WM_DESTROY: {
            std::lock_guard lock(shared_->mutex);
            shared_->target = nullptr;
            break;
        }
        default:
            break;
    }
    return BaseWindow::handleMessage(message, wParam, lParam);
}

}  // namespace quillon::discovery
