// A system library opened by its file name when it is first needed, and its functions found by name. It
// stays open for the rest of the run.
#pragma once

#include <string>

namespace dialoon {

class SharedLibrary
{
public:
    // Opens the library; problem() says why when it could not.
    explicit SharedLibrary(const char* fileName);

    bool isOpen() const { return handle_ != nullptr; }
    const std::string& problem() const { return problem_; }

    // A function of the library, as the pointer it is assigned to (null when missing).
    struct Found
    {
        void* address;
        template <typename Function> operator Function() const { return reinterpret_cast<Function>(address); }
    };
    // Finds a function of the library; complete() is false from the first one that is missing.
    Found find(const char* name)
    {
        void* const address = symbol(name);
        complete_ = complete_ && address != nullptr;
        return {address};
    }
    bool complete() const { return isOpen() && complete_; }

    // The address of a name in this library, or null.
    void* symbol(const char* name) const;
    // The address of a name in any library the process has loaded so far, or null.
    static void* loadedSymbol(const char* name);

private:
    void* handle_ = nullptr;
    std::string problem_;
    bool complete_ = true;
};

} // namespace dialoon
