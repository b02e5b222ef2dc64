#pragma once
// Windows that the programs of the suite address by class name ("OVK_NOSTREL",
// "HOL_VAN", ...). A window that others address listens on a local socket named after
// its class; a message is (message, wParam, lParam). Send waits for the answer, but
// never longer than its time-out, so an absent or hung program cannot stall us.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace wm {
constexpr uint32_t kCommand = 0x0111;
constexpr uint32_t kTimer = 0x0113;
constexpr uint32_t kUser = 0x0400;
}  // namespace wm

constexpr int kSendTimeoutMs = 2000;

struct WindowMessage {
    uint32_t message = 0;
    int32_t wParam = 0;
    int32_t lParam = 0;
    bool sent = false;  // the sender waits for the answer
};

// $XDG_RUNTIME_DIR/ovk-windows (else /tmp/ovk-windows-<uid>), made on first use.
std::filesystem::path WindowRegistryFolder();

// Whether a window of the class listens now.
bool FindWindowClass(const std::string& className);

// Sends and waits for the answer; nothing when there is no such window or it does not
// answer within the time-out.
std::optional<int32_t> SendWindowMessage(const std::string& className, uint32_t message,
                                         int32_t wParam, int32_t lParam,
                                         int timeoutMs = kSendTimeoutMs);

// Delivers without waiting; false when there is no such window.
bool PostWindowMessage(const std::string& className, uint32_t message, int32_t wParam,
                       int32_t lParam);

// The receiving side: listens under a class name until destroyed.
class WindowClassListener {
public:
    WindowClassListener() = default;
    ~WindowClassListener();
    WindowClassListener(const WindowClassListener&) = delete;
    WindowClassListener& operator=(const WindowClassListener&) = delete;

    // False when another live window already holds the class (or the socket fails).
    bool Listen(const std::string& className);
    void Stop();
    bool IsListening() const { return m_fd >= 0; }
    // The socket to watch for readiness (for an event loop).
    int Descriptor() const { return m_fd; }

    using Handler = std::function<int32_t(const WindowMessage&)>;
    // Handles the messages that arrive within `timeoutMs` (0: only those waiting now);
    // the handler's result answers a send. Returns how many were handled.
    int Receive(const Handler& handler, int timeoutMs = 0);

private:
    int m_fd = -1;
    std::filesystem::path m_path;
};
