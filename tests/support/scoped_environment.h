// An environment variable set for the length of a test and put back afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace vanto::test {

class ScopedEnvironment {
  public:
    // A null value removes the variable for the scope.
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace vanto::test
