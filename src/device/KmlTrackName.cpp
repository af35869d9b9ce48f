#include "device/KmlTrackName.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "basics/WholeFile.h"
#include "platform/FileAccess.h"
#include "sbp/SpeedGpx.h"

namespace {

// Puts <name> into every track folder after the "Tracks" folder that has none.
int NameTrackFolders(std::string& kml, const std::string& nameElement)
{
    const size_t tracks = kml.find("<name>Tracks</name>");
    if (tracks == std::string::npos)
        return 0;
    int named = 0;
    const std::string folder = "<Folder>";
    for (size_t at = kml.find(folder, tracks); at != std::string::npos; at = kml.find(folder, at + 1)) {
        const size_t body = at + folder.size();
        const size_t next = kml.find_first_not_of(" \t\r\n", body);
        if (next != std::string::npos && kml.compare(next, 6, "<name>") == 0)
            continue;
        kml.insert(body, nameElement);
        ++named;
    }
    return named;
}

} // namespace

bool NameKmlTrack(const std::string& kmlFile, const std::string& trackName, std::string* error)
{
    std::vector<uint8_t> bytes;
    // A track of at most 1000 points makes a KML far below the read limit; a cut file must not be rewritten.
    if (ReadWholeFile(kmlFile, kWholeFileLimit, bytes) != kOk || bytes.size() >= kWholeFileLimit) {
        *error = "cannot read " + kmlFile;
        return false;
    }
    std::string kml(bytes.begin(), bytes.end());
    const std::string name = XmlEscaped(trackName);
    const std::string documentName = "<name>GPS device</name>";
    const size_t document = kml.find(documentName);
    if (document != std::string::npos)
        kml.replace(document, documentName.size(), "<name>" + name + "</name>");
    const int folders = NameTrackFolders(kml, "\n        <name>" + name + "</name>");
    if (document == std::string::npos && folders == 0) {
        *error = kmlFile + " holds no track to name";
        return false;
    }
    const std::string temp = kmlFile + ".naming";
    OutputFile out(temp, {.removeOnFailure = true});
    if (!out.open() || !out.write(kml.data(), kml.size()) || !out.close()) {
        *error = "cannot write " + temp + ": " + out.errorText();
        return false;
    }
    if (!ReplaceFileAtomically(temp, kmlFile)) {
        *error = "cannot replace " + kmlFile + ": " + std::strerror(errno);
        std::remove(temp.c_str());
        return false;
    }
    return true;
}
