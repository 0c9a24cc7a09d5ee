#pragma once

#include <cctype>
#include <string>

namespace halvo::test
{

/** Names a parameterised case after the `name` field of its parameter, with every character
    GoogleTest does not accept in a test name replaced by '_'. */
struct NameFromField
{
    template <typename ParamInfo>
    std::string operator() (const ParamInfo& info) const
    {
        std::string name = info.param.name;
        for (auto& ch : name)
            if (! std::isalnum ((unsigned char) ch))
                ch = '_';
        return name;
    }
};

} // namespace halvo::test
