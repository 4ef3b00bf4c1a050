// memory_file.cpp -- open_memstream, closed and freed in the right order.
#include "platform/journal/memory_file.h"

#include <cstdlib>

namespace platform {

MemoryFile::MemoryFile() : file_(open_memstream(&buffer_, &size_)) {}

MemoryFile::~MemoryFile() {
    if (file_ != nullptr) std::fclose(file_);
    std::free(buffer_);  // open_memstream's buffer, released after the stream
}

std::string_view MemoryFile::Text() {
    if (file_ == nullptr) return {};
    std::fflush(file_);  // brings buffer_ and size_ up to date
    return std::string_view(buffer_, size_);
}

}  // namespace platform
