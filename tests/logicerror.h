#ifndef DORVELLXSD_TESTS_LOGICERROR_H
#define DORVELLXSD_TESTS_LOGICERROR_H

#include <stdexcept>
#include <string>

// The message of the std::logic_error that call throws, or a note that it threw none.
template <typename Call>
std::string logicErrorOf(Call call)
{
    try {
        call();
    } catch (const std::logic_error &error) {
        return error.what();
    }
    return "(no std::logic_error thrown)";
}

#endif
