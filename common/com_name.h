// The COM names of the port menu, as the device link and the program both read them.
#pragma once

#include <cctype>
#include <string_view>

namespace velko {

// The n of "COMn" (any letter case, at most four digits), or 0 when the name is not of that form.
inline unsigned ComNumber(std::string_view name)
{
    if (name.size() < 4 || name.size() > 7)
        return 0;
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i])
            return 0;
    }
    unsigned n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return 0;
        n = n * 10 + static_cast<unsigned>(name[i] - '0');
    }
    return n;
}

} // namespace velko
