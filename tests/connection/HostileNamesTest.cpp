// What the device reports as its owner and serial number ends up in log lines,
// the proposed log file name, the converter's command line and the KML track
// name. Hostile values must stay one plain file name in the working folder,
// pass through a text conversion unchanged, run nothing, and keep the KML
// well-formed.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include <QString>
#include <QXmlStreamReader>

#include "basics/Text.h"
#include "device/TrackConversion.h"
#include "logdata/LogConvert.h"
#include "logdata/LogDownload.h"
#include "support/Files.h"
#include "support/SimRig.h"
#include "support/WorkingFolder.h"

namespace {

namespace fs = std::filesystem;

// A KML as GPSBabel writes it from NMEA, before its track is named.
const char* const kBabelKml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
                              "<Document><name>GPS device</name><Folder><name>Tracks</name><Folder>\n"
                              "<Placemark/></Folder></Folder></Document></kml>\n";

// The text of the first <name> element, or an error.
std::string FirstKmlName(const std::string& file)
{
    QXmlStreamReader xml(QByteArray::fromStdString(ReadText(file)));
    std::string name;
    while (!xml.atEnd()) {
        xml.readNext();
        if (name.empty() && xml.isStartElement() && xml.name() == QLatin1String("name"))
            name = xml.readElementText().toStdString();
    }
    return xml.hasError() ? "error: " + xml.errorString().toStdString() : name;
}

bool HasControlCharacters(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return (unsigned char)c < 0x20 || c == 0x7F; });
}

TEST(HostileNames, deviceNamesStayOneSafeFileNameAndRunNothing)
{
    struct Case {
        const char* what;
        std::string user;   // as the device holds it
        int32_t serial;
        std::string safe;   // the user part of file and track names
    };
    const std::vector<Case> cases = {
        {"ordinary", "Jan Maier-2", 77, "Jan Maier-2"},
        {"parent folders", "../../etc/x", 1, "______etc_x"},
        {"absolute path", "/root", 2, "_root"},
        {"backslashes", "..\\..\\win", 3, "______win"},
        {"NUL inside", std::string("ab\0/../x", 8), 4, "ab"},
        {"control characters", "a\r\nb\x1b[2J\x7f\t", 5, "a__b_[2J__"},
        {"quotes", "it's \"me\"", 6, "it's _me_"},
        {"command substitution", "$(touch pwned)", 7, "$(touch pwned)"},
        {"backquotes and a dash", "-`touch pwned`", 8, "-`touch pwned`"},
        // Bytes that are not UTF-8 are read as Latin-1, C1 controls excepted.
        {"UTF-8 cut mid-character", "ABCDEFGHIJKLMN\xC3", 9, "ABCDEFGHIJKLMN\xC3\x83"},
        {"UTF-8 overlong and stray", "a\xC0\xAF" "b\x80", 10, "a\xC3\x80\xC2\xAF" "b_"},
        {"UTF-8 whole", "Zo\xC3\xAB \xE6\x97\xA5", 11, "Zo\xC3\xAB \xE6\x97\xA5"},
        {"XML markup", "<b>&amp;</b>", 12, "_b_&amp;__b_"},
        {"negative serial", "..", -1, "__"},
    };
    const bool haveConverter = !ExternalTool().find("gpsbabel").empty();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        const WorkingFolder folder(dir.path);
        const fs::path& previous = folder.previous();
        SimRig rig;
        rig.device.model.userName = c.user;
        rig.device.model.serialNumber = c.serial;
        rig.device.model.pointsLogged = 50;
        Program& p = rig.p();
        ASSERT_EQ(rig.connect(), 0);

        for (const std::string& line : rig.host.logs())
            EXPECT_FALSE(HasControlCharacters(line)) << line;
        EXPECT_FALSE(HasControlCharacters(p.form.connection.windowCaption));
        EXPECT_EQ(FileNameSafe(p.identity.userName), c.safe);

        // One file in the working folder, named as a text conversion leaves it.
        const fs::path log = p.form.logData.logFileName;
        char serial[16];
        std::snprintf(serial, sizeof serial, "%09d_", c.serial);
        EXPECT_EQ(log.parent_path(), dir.path);
        const std::string name = log.filename().string();
        EXPECT_EQ(name.rfind(serial + c.safe + "_", 0), 0u) << name;
        EXPECT_TRUE(std::regex_search(name, std::regex("_[0-9]{8}_[0-9]{6}\\.sbp$"))) << name;
        EXPECT_EQ(QString::fromStdString(log.string()).toStdString(), log.string());
        ASSERT_EQ(Button_downloadlogClick(p), 0);
        EXPECT_EQ(ReadFileBytes(log.string()).size(), 50u * 32);

        // The converter gets the name as one argument; nothing reads it as a command.
        if (haveConverter) {
            EXPECT_EQ(BitBtn_offline_convertClick(p), 0) << ::testing::PrintToString(rig.host.logs());
            const std::string base = log.stem().string();
            for (const char* ext : {".NMEA", ".plt", ".csv", ".gpx", ".kml"})
                EXPECT_TRUE(fs::exists(dir.path / (base + ext))) << ext;
        }
        EXPECT_FALSE(fs::exists(dir.path / "pwned"));
        EXPECT_FALSE(fs::exists(previous / "pwned"));

        // The owner's track name keeps the KML well-formed.
        std::ofstream("TRK.kml") << kBabelKml;
        EXPECT_EQ(BitBtn1Click(p), 0);
        EXPECT_EQ(FirstKmlName("TRK.kml"), c.safe + "_" + std::string(serial, 9));
    }
}

} // namespace
