#include "platform/posix/SharedLibrary.h"

#include <dlfcn.h>

namespace dialoon {

SharedLibrary::SharedLibrary(const char* fileName) : handle_(dlopen(fileName, RTLD_NOW | RTLD_LOCAL))
{
    if (handle_ == nullptr) {
        const char* why = dlerror();
        problem_ = why != nullptr ? why : fileName;
    }
}

void* SharedLibrary::symbol(const char* name) const
{
    return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

void* SharedLibrary::loadedSymbol(const char* name)
{
    return dlsym(RTLD_DEFAULT, name);
}

} // namespace dialoon
