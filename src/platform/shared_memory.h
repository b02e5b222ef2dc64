#pragma once
// Named shared memory blocks shared with other programs (POSIX shared memory under the
// same name).
#include <cstddef>
#include <string>

class SharedMemoryBlock {
public:
    SharedMemoryBlock() = default;
    ~SharedMemoryBlock() { Close(); }
    SharedMemoryBlock(const SharedMemoryBlock&) = delete;
    SharedMemoryBlock& operator=(const SharedMemoryBlock&) = delete;

    // Creates the block read/write and zero-filled, or opens it when it exists already.
    bool Create(const std::string& name, size_t size);
    // Opens an existing block with the size it has.
    bool Open(const std::string& name);
    // Unmaps; the name is removed when this object created it.
    void Close();

    bool IsOpen() const { return m_data != nullptr; }
    void* Data() const { return m_data; }
    size_t Size() const { return m_size; }

private:
    bool Map(int fd);
    std::string m_name;
    void* m_data = nullptr;
    size_t m_size = 0;
    bool m_created = false;
};
