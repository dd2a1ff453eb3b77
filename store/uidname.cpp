#include "store/uidname.h"

std::string UIDName(std::string_view uid) {
    std::size_t first = uid.find('.');
    std::size_t second = first == std::string_view::npos ? first : uid.find('.', first + 1);
    std::size_t size = uid.rfind(",s=");
    if (second == std::string_view::npos || size == std::string_view::npos || size <= second)
        return {};
    return std::string(uid.substr(second + 1, size - second - 1));
}
