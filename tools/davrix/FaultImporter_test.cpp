// The importer's checks of one record before anything is stored: file names, header
// encodings, data files. (Storing is covered through the real program in DavrixProgram_test.)
#include "FaultImporter.h"

#include "TestOdbc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using davrix::test::ConfigDir;
using davrix::test::Utf8ToGbk;
using davrix::test::WriteTextFile;
using davrix::tool::FaultImporter;

namespace {

std::string Header(const std::string& firstLine) {
    return firstLine +
           "\r\n2,1A,1D\r\n1,Ua,A,L1,kV,0.01,0,0,-32767,32767,220,0.1,S\r\n1,Trip,,L1,0\r\n50\r\n1\r\n1200,4\r\n"
           "14/07/2023,09:26:53.025000\r\n14/07/2023,09:26:53.125999\r\nASCII\r\n1\r\n";
}

class FaultImporterPrepare : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ConfigDir() + "/records.XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(&pattern[0]));
        m_root = pattern;
    }
    void TearDown() override { davrix::test::RunCommand("rm -rf '" + m_root + "'"); }
    void Write(const std::string& rel, const std::string& text) {
        size_t slash = rel.rfind('/');
        if (slash != std::string::npos) mkdir((m_root + "/" + rel.substr(0, slash)).c_str(), 0755);
        WriteTextFile(m_root + "/" + rel, text);
    }
    std::string m_root;
};

TEST_F(FaultImporterPrepare, ReadsNamesSizesAndTexts) {
    Write("sub/REC1.CFG", Header("东郊变电站,一号录波器,1999"));
    Write("sub/REC1.DAT", "1,0,5,0\r\n2,833,6,0\r\n");
    Write(Utf8ToGbk("西山") + ".cfg", Header(Utf8ToGbk("西山变电站,FR-02,1999")));
    Write(Utf8ToGbk("西山") + ".dat", "x");

    FaultImporter importer(m_root + "/", false, "");
    std::vector<FaultImporter::Problem> problems;
    std::vector<std::string> found = importer.FindRecords(&problems);
    ASSERT_EQ(2u, found.size());
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ("sub/REC1.CFG", found[0]) << "sorted by bytes: 's' before the GBK name's lead byte";

    FaultImporter::Prepared r;
    FaultImporter::Problem problem;
    ASSERT_TRUE(importer.Prepare(found[0], &r, &problem)) << problem.Text();
    EXPECT_EQ("sub/REC1.CFG", r.file);
    EXPECT_EQ(Utf8ToGbk("东郊变电站"), r.station) << "UTF-8 header text arrives as GBK";
    EXPECT_EQ(Utf8ToGbk("一号录波器"), r.device);
    EXPECT_EQ(20, r.dataSize);
    EXPECT_EQ(125, r.header.trigger.Millisecond()) << "milliseconds are cut, not rounded";

    ASSERT_TRUE(importer.Prepare(found[1], &r, &problem)) << problem.Text();
    EXPECT_EQ(Utf8ToGbk("西山") + ".cfg", r.file) << "a GBK file name stays GBK";
    EXPECT_EQ(Utf8ToGbk("西山变电站"), r.station) << "a GBK header stays GBK";
    EXPECT_EQ(1, r.dataSize);
}

TEST_F(FaultImporterPrepare, ReportsWhatCannotBeStored) {
    struct Case {
        std::string name;
        std::string header;
        bool withData;
        std::string where;
        const char* reason;
    };
    const Case cases[] = {
        {"nodata.cfg", Header("S,D,1999"), false, "nodata.cfg:10", "data file nodata.dat missing"},
        {"emoji.cfg", Header("S\xF0\x9F\x98\x80,D,1999"), true, "emoji.cfg:1", "no GBK form"},
        {"garbage.cfg", Header("S\xFF\xFF\x80,D,1999"), true, "garbage.cfg:1", "neither UTF-8 nor GBK"},
        {"long.cfg", Header(std::string(300, 's') + ",D,1999"), true, "long.cfg:1", "longer than 255"},
        {std::string(200, 'd') + "/" + std::string(60, 'n') + ".cfg", Header("S,D,1999"), true,
         std::string(200, 'd') + "/" + std::string(60, 'n') + ".cfg", "file name longer than"},
        {"baddate.cfg",
         Header("S,D,1999").replace(Header("S,D,1999").find("14/07/2023,09:26:53.125"), 10, "30/02/2023"), true,
         "baddate.cfg:9", "no such date"},
    };
    FaultImporter importer(m_root, false, "");
    for (const Case& c : cases) {
        Write(c.name, c.header);
        if (c.withData) Write(c.name.substr(0, c.name.size() - 3) + "dat", "1,0,0,0\r\n");
        FaultImporter::Prepared r;
        FaultImporter::Problem problem;
        EXPECT_FALSE(importer.Prepare(c.name, &r, &problem)) << c.where;
        EXPECT_EQ(c.where, problem.where);
        EXPECT_NE(std::string::npos, problem.reason.find(c.reason)) << c.where << ": " << problem.reason;
    }
}

}  // namespace
