// The one place of the Windows build that speaks to the globe drawing library.

#include "platform/win32/Win32FrameArtist.h"

#include <deque>
#include <mutex>
#include <optional>
#include <stdexcept>

#include "globe/DayNightArtist.h"
#include "platform/common/KeptDayNightArtist.h"
#include "platform/common/WorkerFrameArtist.h"
#include "platform/win32/Win32Picture.h"
#include "platform/win32/Win32Support.h"
#include "platform/win32/Win32Toolkit.h"

namespace skyroll::win32 {
namespace {

constexpr wchar_t kPostClass[] = L"SkyrollFrameArtist";
constexpr UINT kPosted = WM_APP + 0x25;

std::optional<globe::Image> readMap(const std::filesystem::path& file, std::string& failure) {
    std::string why;
    auto pixels = readPixelsFile(file, &why);
    if (!pixels) {
        failure = file.filename().string() + ": " + why;
        return std::nullopt;
    }
    return globe::Image{pixels->width, pixels->height, std::move(pixels->argb)};
}

class Win32Painter final : public platform::FramePainter {
public:
    std::vector<platform::FramePicture> paint(const std::filesystem::path& dayMap,
                                              const std::filesystem::path& nightMap,
                                              std::int64_t unixSecondsUtc, std::string& failure) override {
        const globe::DayNightArtist* artist = m_kept.get(dayMap, nightMap, 1, failure);
        if (!artist) return {};
        // At pixel ratio 1 always: the program leaves the scaling of its
        // windows to the system.
        std::vector<platform::FramePicture> frames;
        for (int n = 1; n <= platform::kDrawnFrameCount; ++n) {
            const globe::Image drawn = artist->frame(n, unixSecondsUtc);
            auto bitmap = bitmapFromPixels(drawn.width, drawn.height, drawn.argb.data());
            if (!bitmap) {
                failure = "out of memory";
                return {};
            }
            frames.push_back({0, platform::drawnFrameName(n), std::move(bitmap)});
        }
        return frames;
    }
    void forget() override { m_kept.forget(); }

private:
    platform::KeptDayNightArtist m_kept{&readMap};
};

// Calls handed from the worker to the user-interface thread: queued here and
// run when the message-only window gets its message from the message loop.
class PostBox {
public:
    explicit PostBox(Win32Toolkit& toolkit) : m_toolkit(toolkit) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &PostBox::procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kPostClass;
        RegisterClassExW(&windowClass);
        m_window = CreateWindowExW(0, kPostClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        if (m_window) SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~PostBox() {
        if (m_window) DestroyWindow(m_window);
    }
    PostBox(const PostBox&) = delete;
    PostBox& operator=(const PostBox&) = delete;

    void post(std::function<void()> call) {
        {
            const std::lock_guard lock(m_mutex);
            m_calls.push_back(std::move(call));
        }
        if (m_window) PostMessageW(m_window, kPosted, 0, 0);
    }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
        if (message != kPosted) return DefWindowProcW(window, message, w, l);
        auto* box = reinterpret_cast<PostBox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (box) box->runAll();
        return 0;
    }
    void runAll() {
        std::deque<std::function<void()>> calls;
        {
            const std::lock_guard lock(m_mutex);
            calls.swap(m_calls);
        }
        for (auto& call : calls) m_toolkit.dispatch(call);
    }

    Win32Toolkit& m_toolkit;
    HWND m_window = nullptr;
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_calls;
};

class Win32FrameArtist final : public platform::FrameArtist {
public:
    explicit Win32FrameArtist(Win32Toolkit& toolkit)
        : m_box(toolkit),
          m_artist({&toolkit.pictures()}, std::make_unique<Win32Painter>(),
                   [this](std::function<void()> call) { m_box.post(std::move(call)); }) {}

    std::int64_t utcNow() const override { return m_artist.utcNow(); }
    bool draw(const std::filesystem::path& dayMap, const std::filesystem::path& nightMap,
              std::int64_t unixSecondsUtc, std::function<void(const platform::DrawnFrames&)> done) override {
        const ULONGLONG start = GetTickCount64();
        return m_artist.draw(dayMap, nightMap, unixSecondsUtc,
                             [start, done = std::move(done)](const platform::DrawnFrames& drawn) {
                                 if (drawn.failure.empty())
                                     trace("skyroll.frames",
                                           "drawn " + drawn.folder.generic_string() + " ratio 1 in " +
                                               std::to_string(GetTickCount64() - start) + " ms");
                                 done(drawn);
                             });
    }
    void release() override { m_artist.release(); }

private:
    PostBox m_box;  // outlives the worker, which the artist joins first
    platform::WorkerFrameArtist m_artist;
};

}  // namespace

std::unique_ptr<platform::FrameArtist> makeFrameArtist(Win32Toolkit& toolkit) {
    return std::make_unique<Win32FrameArtist>(toolkit);
}

}  // namespace skyroll::win32
