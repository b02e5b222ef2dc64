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
// Asks the receiving program to bring its window to the front (what SetForegroundWindow
// did from outside); posted, never answered.
constexpr uint32_t kRaiseRequest = 0x7F01;
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

// Brings a window of the class to the front; false when none listens.
bool RaiseWindowClass(const std::string& className);

// Delivers without waiting to the window with that handle (see WindowClassListener::
// Handle); false when there is none.
bool PostWindowMessageToHandle(uint32_t handle, uint32_t message, int32_t wParam,
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
    // The window's 32-bit handle, unique among the live windows; others address a post to
    // it (a host passes its handle for the reply). 0 while not listening.
    uint32_t Handle() const { return m_handle; }

    using Handler = std::function<int32_t(const WindowMessage&)>;
    // Handles the messages that arrive within `timeoutMs` (0: only those waiting now);
    // the handler's result answers a send. Returns how many were handled.
    int Receive(const Handler& handler, int timeoutMs = 0);

private:
    int m_fd = -1;
    uint32_t m_handle = 0;
    std::filesystem::path m_path;
    std::filesystem::path m_handlePath;
};
