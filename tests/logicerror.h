#ifndef DORVELLXSD_TESTS_LOGICERROR_H
#define DORVELLXSD_TESTS_LOGICERROR_H

#include <stdexcept>
#include <string>

// The message of the Exception that call throws, or @p none.
template <typename Exception, typename Call>
std::string messageOf(Call call, const char *none)
{
    try {
        call();
    } catch (const Exception &error) {
        return error.what();
    }
    return none;
}

// A refusal: the message of the std::logic_error that call throws, or a note that it threw none.
template <typename Call>
std::string logicErrorOf(Call call)
{
    return messageOf<std::logic_error>(call, "(no std::logic_error thrown)");
}

// A failure of the environment where the contract reports it as such (the classes added to the original
// ones, the exchange services): the message of the std::runtime_error that call throws, or a note.
template <typename Call>
std::string runtimeErrorOf(Call call)
{
    return messageOf<std::runtime_error>(call, "(no std::runtime_error thrown)");
}

#endif
