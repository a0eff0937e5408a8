// Device texts reach the views through narrower bindings than the device table's: a
// longer text arrives cut to the binding's width, on a character boundary.
#include <davrixdb/tables/CTblAutoSend.h>
#include <davrixdb/tables/CTblDevInfo.h>
#include <davrixdb/tables/CTblFault.h>
#include <davrixdb/tables/CTblRunLog.h>
#include <davrixdb/views/CVwAutoSend.h>
#include <davrixdb/views/CVwFault.h>
#include <davrixdb/views/CVwFaultEx.h>
#include <davrixdb/views/CVwRunLog.h>

#include "tables/TestSchema.h"

#include <functional>
#include <memory>
#include <string>

using namespace davrix::test;

namespace {

// One ASCII letter, then double-byte characters: a cut at an even byte count would split one.
std::string Long(const char* lead, const char* ch, int count) {
    std::string s = lead;
    for (int i = 0; i < count; ++i) s += ch;
    return s;
}

const std::string kName = Long("A", "长", 40);      // 81 bytes in GBK
const std::string kOffice = Long("B", "局", 40);    // 81
const std::string kStation = Long("C", "站", 40);   // 81
const std::string kRaddr = Long("D", "址", 70);     // 141

struct ViewText {
    const char* label;
    std::function<std::unique_ptr<CDAVRIXRecordset>()> make;
    std::function<CString(CDAVRIXRecordset&)> member;
    std::string expectedUtf8;
};

template <class View>
std::function<std::unique_ptr<CDAVRIXRecordset>()> Make() {
    return [] { return std::unique_ptr<CDAVRIXRecordset>(new View); };
}

template <class View>
std::function<CString(CDAVRIXRecordset&)> Member(CString View::*m) {
    return [m](CDAVRIXRecordset& rs) { return static_cast<View&>(rs).*m; };
}

const ViewText kViewTexts[] = {
    {"CVwFault NNAME", Make<CVwFault>(), Member(&CVwFault::m_NNAME), Long("A", "长", 31)},
    {"CVwFaultEx NNAME", Make<CVwFaultEx>(), Member(&CVwFaultEx::m_NNAME), Long("A", "长", 31)},
    {"CVwFaultEx OFFICE", Make<CVwFaultEx>(), Member(&CVwFaultEx::m_OFFICE), Long("B", "局", 31)},
    {"CVwFaultEx STATION", Make<CVwFaultEx>(), Member(&CVwFaultEx::m_STATION), Long("C", "站", 31)},
    {"CVwAutoSend NNAME", Make<CVwAutoSend>(), Member(&CVwAutoSend::m_NNAME), Long("A", "长", 31)},
    {"CVwAutoSend RADDR", Make<CVwAutoSend>(), Member(&CVwAutoSend::m_RADDR), Long("D", "址", 63)},
    {"CVwRunLog NNAME", Make<CVwRunLog>(), Member(&CVwRunLog::m_NNAME), Long("A", "长", 31)},
};

using ViewTexts = SchemaTest;

TEST_P(ViewTexts, WideDeviceTextsArriveCutOnACharacterBoundary) {
    CTblDevInfo dev;
    dev.m_valNNAME = Gbk(kName);
    dev.m_valOFFICE = Gbk(kOffice);
    dev.m_valSTATION = Gbk(kStation);
    dev.m_valRADDR = Gbk(kRaddr);
    ASSERT_EQ(dev.Save(), 1) << dev.GetError().GetString();
    dev.m_strFilter.Empty();  // Save left the key filter of the insert, [NID]=0
    ASSERT_EQ(dev.GetData(1), 1) << dev.GetError().GetString();
    EXPECT_STREQ(dev.m_valNNAME, Gbk(kName));  // whole in the device table
    EXPECT_STREQ(dev.m_valRADDR, Gbk(kRaddr));

    CTblFault fault;
    fault.m_valNID = dev.m_valNID;
    fault.m_valFFILE = "cut.cfg";
    ASSERT_EQ(fault.Save(), 1) << fault.GetError().GetString();
    ASSERT_EQ(fault.Query("[FFILE]='cut.cfg'"), 1);

    CTblAutoSend send;
    send.m_valFID = fault.m_SID;
    ASSERT_EQ(send.Save(), 1) << send.GetError().GetString();

    CTblRunLog log;
    log.m_valNID = dev.m_valNID;
    ASSERT_EQ(log.Save(), 1) << log.GetError().GetString();

    for (const ViewText& c : kViewTexts) {
        SCOPED_TRACE(c.label);
        std::unique_ptr<CDAVRIXRecordset> view = c.make();
        ASSERT_EQ(view->GetData(1), 1) << view->GetError().GetString();
        EXPECT_EQ(std::string(c.member(*view)), Utf8ToGbk(c.expectedUtf8));
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, ViewTexts, ::testing::ValuesIn(AllBackends()), BackendParamName());

}  // namespace
