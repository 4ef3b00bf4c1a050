// memory_file.h -- a stream whose text stays in memory, for the runs that keep
// their log or recording there (the browser's page, the soak, the session bot).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

namespace platform {

class MemoryFile {
public:
    MemoryFile();
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Null only when no memory could be had for it, which writes nothing.
    std::FILE* File() const { return file_; }
    // Everything written so far; valid until the next write.
    std::string_view Text();

private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_ = nullptr;
};

}  // namespace platform
