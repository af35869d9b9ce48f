#include "program/TestConfigRecord.h"

#include <filesystem>

std::string TestConfigOrigin::path() const
{
    return (std::filesystem::path(folder) / (file.empty() ? kTestConfigFile : file)).string();
}
