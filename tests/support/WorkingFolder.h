#pragma once
// Runs a scope in another working folder and goes back at its end, also when an
// ASSERT returns early: the next test must not start in a folder already removed.

#include <filesystem>
#include <system_error>

class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~WorkingFolder()
    {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    const std::filesystem::path& previous() const { return previous_; }

private:
    std::filesystem::path previous_;
};
