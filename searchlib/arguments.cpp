#include "arguments.h"

#include "status_text.h"

bool ArgumentsGiven(std::initializer_list<PointerArgument> arguments, wchar_t* statusText) {
    for (const PointerArgument& argument : arguments) {
        if (argument.pointer != nullptr) continue;
        if (statusText != nullptr) status::NullArgument(statusText, argument.name);
        return false;
    }
    return statusText != nullptr;
}
