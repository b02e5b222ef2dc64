#include "platform/shared_memory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {
std::string ShmName(const std::string& name) { return "/" + name; }
}  // namespace

bool SharedMemoryBlock::Map(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_size <= 0) return false;
    void* p =
        mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) return false;
    m_data = p;
    m_size = static_cast<size_t>(st.st_size);
    return true;
}

bool SharedMemoryBlock::Create(const std::string& name, size_t size) {
    Close();
    if (name.empty() || name.find('/') != std::string::npos || size == 0) return false;
    bool created = true;
    int fd = shm_open(ShmName(name).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = shm_open(ShmName(name).c_str(), O_RDWR | O_CLOEXEC, 0600);
    }
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) == 0 && st.st_size == 0 && ftruncate(fd, static_cast<off_t>(size)) != 0) {
        close(fd);
        if (created) shm_unlink(ShmName(name).c_str());
        return false;
    }
    const bool ok = Map(fd);
    close(fd);
    if (!ok) {
        if (created) shm_unlink(ShmName(name).c_str());
        return false;
    }
    m_name = name;
    m_created = created;
    return true;
}

bool SharedMemoryBlock::Open(const std::string& name) {
    Close();
    if (name.empty() || name.find('/') != std::string::npos) return false;
    const int fd = shm_open(ShmName(name).c_str(), O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool ok = Map(fd);
    close(fd);
    if (ok) m_name = name;
    return ok;
}

void SharedMemoryBlock::Close() {
    if (m_data) munmap(m_data, m_size);
    if (m_created) shm_unlink(ShmName(m_name).c_str());
    m_data = nullptr;
    m_size = 0;
    m_created = false;
    m_name.clear();
}
