#include "platform/window_registry.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <cstring>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {
// One record on the wire: kind (1 sent, 0 posted), message, wParam, lParam.
struct WireRecord {
    uint32_t kind;
    uint32_t message;
    int32_t wParam;
    int32_t lParam;
};
static_assert(sizeof(WireRecord) == 16);

bool MakeAddress(const fs::path& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    const std::string s = path.string();
    if (s.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, s.c_str(), s.size() + 1);
    return true;
}

bool ValidClassName(const std::string& name) {
    if (name.empty() || name.size() > 64) return false;
    for (char c : name)
        if (c == '/' || c == '\0') return false;
    return true;
}

std::string HandleName(uint32_t handle) {
    char name[32];
    std::snprintf(name, sizeof name, "#%08x", handle);
    return name;
}

// A connected socket to the class's window (or a "#handle" link to one), or -1.
int Connect(const std::string& className) {
    if (!ValidClassName(className)) return -1;
    sockaddr_un addr;
    if (!MakeAddress(WindowRegistryFolder() / className, addr)) return -1;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool WriteAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = send(fd, p, size, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Reads exactly `size` bytes before the deadline; false on time-out, error or end.
bool ReadAll(int fd, void* data, size_t size, std::chrono::steady_clock::time_point deadline) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd pfd{fd, POLLIN, 0};
        const int r = poll(&pfd, 1, static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        const ssize_t n = recv(fd, p, size, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}
}  // namespace

fs::path WindowRegistryFolder() {
    fs::path folder;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        folder = fs::path(runtime) / "ovk-windows";
    else
        folder = fs::path("/tmp") / ("ovk-windows-" + std::to_string(getuid()));
    std::error_code ec;
    if (fs::create_directories(folder, ec)) chmod(folder.c_str(), 0700);
    return folder;
}

bool FindWindowClass(const std::string& className) {
    const int fd = Connect(className);
    if (fd < 0) return false;
    close(fd);
    return true;
}

std::optional<int32_t> SendWindowMessage(const std::string& className, uint32_t message,
                                         int32_t wParam, int32_t lParam, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const int fd = Connect(className);
    if (fd < 0) return std::nullopt;
    const WireRecord record{1, message, wParam, lParam};
    int32_t answer = 0;
    const bool ok =
        WriteAll(fd, &record, sizeof record) && ReadAll(fd, &answer, sizeof answer, deadline);
    close(fd);
    if (!ok) return std::nullopt;
    return answer;
}

bool PostWindowMessage(const std::string& className, uint32_t message, int32_t wParam,
                       int32_t lParam) {
    const int fd = Connect(className);
    if (fd < 0) return false;
    const WireRecord record{0, message, wParam, lParam};
    const bool ok = WriteAll(fd, &record, sizeof record);
    close(fd);
    return ok;
}

bool RaiseWindowClass(const std::string& className) {
    return PostWindowMessage(className, wm::kRaiseRequest, 0, 0);
}

bool PostWindowMessageToHandle(uint32_t handle, uint32_t message, int32_t wParam,
                               int32_t lParam) {
    if (handle == 0) return false;
    return PostWindowMessage(HandleName(handle), message, wParam, lParam);
}

WindowClassListener::~WindowClassListener() { Stop(); }

bool WindowClassListener::Listen(const std::string& className) {
    Stop();
    if (!ValidClassName(className)) return false;
    // A socket file left by a program that ended without cleaning up is taken over;
    // a live one is not.
    if (FindWindowClass(className)) return false;
    const fs::path path = WindowRegistryFolder() / className;
    sockaddr_un addr;
    if (!MakeAddress(path, addr)) return false;
    std::error_code ec;
    fs::remove(path, ec);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0) {
        close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    // The handle is a link to the class's socket; a link left by a program that died is
    // taken over, a live one is not.
    std::random_device random;
    for (int attempt = 0; attempt < 64 && m_handle == 0; ++attempt) {
        const uint32_t handle = (random() & 0x7FFFFFF0u) | 0x10u;
        const std::string name = HandleName(handle);
        const fs::path link = WindowRegistryFolder() / name;
        if (symlink(path.c_str(), link.c_str()) == 0) {
            m_handle = handle;
            m_handlePath = link;
        } else if (errno == EEXIST && !FindWindowClass(name)) {
            fs::remove(link, ec);
        }
    }
    return true;
}

void WindowClassListener::Stop() {
    if (m_fd < 0) return;
    close(m_fd);
    m_fd = -1;
    std::error_code ec;
    fs::remove(m_path, ec);
    m_path.clear();
    if (!m_handlePath.empty()) fs::remove(m_handlePath, ec);
    m_handlePath.clear();
    m_handle = 0;
}

int WindowClassListener::Receive(const Handler& handler, int timeoutMs) {
    if (m_fd < 0) return 0;
    int handled = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd pfd{m_fd, POLLIN, 0};
        const int r = poll(&pfd, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        const int client = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EINTR) continue;
            break;
        }
        WireRecord record{};
        // A finder connects and leaves without a record; a sender writes at once.
        if (ReadAll(client, &record, sizeof record,
                    std::chrono::steady_clock::now() + std::chrono::milliseconds(500))) {
            WindowMessage m{record.message, record.wParam, record.lParam, record.kind == 1};
            const int32_t answer = handler(m);
            if (m.sent) WriteAll(client, &answer, sizeof answer);
            ++handled;
        }
        close(client);
    }
    return handled;
}
