#pragma once
// Finding a file by name as Windows would: a copy made there may carry the
// name in other letter case ("vr60test.ini"), which a case-sensitive file
// system would otherwise not find.

#include <string>
#include <vector>

struct NameLookup {
    std::string name;                   // the entry to use, without the folder; empty: none
    std::vector<std::string> otherCase; // when none: the two or more names differing only in case, sorted
};

// The exact name when folder holds it, else the one regular file whose name differs
// from it only in ASCII letter case; with several such files, none of them.
NameLookup FindNameIgnoringCase(const std::string& folder, const std::string& name);
