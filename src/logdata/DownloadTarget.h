#pragma once
// Where a log download writes. The bytes go into NAME.partial.sbp while they
// arrive; only a complete download replaces NAME (an earlier log included), in
// one rename. An incomplete one stays under the partial name, so it never
// passes for a log. A name that is not a regular file (a device, a pipe) is
// written straight through: there is nothing to rename there.

#include <string>

// "big.sbp" -> "big.partial.sbp"; a name without an extension gets ".partial".
std::string PartialNameFor(const std::string& name);

class DownloadTarget {
public:
    explicit DownloadTarget(std::string name);

    // The file the operator asked for.
    const std::string& name() const { return name_; }
    // Where the bytes go while they arrive.
    const std::string& writtenName() const { return written_; }

    // Puts the complete file in place of name(); false (errno set) when the rename failed,
    // the partial file then stays.
    bool commit();
    // After an incomplete download: what it left, such as "big.partial.sbp holds 8192 bytes
    // (incomplete); big.sbp is as it was". An empty partial file is removed.
    std::string keepIncomplete();
    // Removes the partial file of a download that never started.
    void discard();

private:
    std::string name_;
    std::string written_;
};
