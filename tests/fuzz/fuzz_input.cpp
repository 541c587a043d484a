#include "tests/fuzz/fuzz_targets.h"

#include <string.h>

std::string TakeLine(const uint8_t** data, size_t* size)
{
    const uint8_t* end = static_cast<const uint8_t*>(memchr(*data, '\n', *size));
    size_t length = end ? static_cast<size_t>(end - *data) : *size;
    std::string line(reinterpret_cast<const char*>(*data), length);
    size_t used = end ? length + 1 : length;
    *data += used;
    *size -= used;
    return line;
}

std::string DocumentText(const uint8_t* data, size_t size)
{
    const uint8_t* zero = static_cast<const uint8_t*>(memchr(data, '\0', size));
    return std::string(reinterpret_cast<const char*>(data), zero ? static_cast<size_t>(zero - data) : size);
}
