#include "LoggerAccess/Volkslogger/IGCHEADER.h"

#include <cstring>

#include "LoggerAccess/Volkslogger/VolksloggerText.h"
#include "base/Format.h"

namespace kelvo::vl {
namespace {

void line(std::ostream& out, const std::string& text) {
    out << text << "\r\n";
}

// "HF<code><text>" when the text is there, else "HO<code>" when missing fields are filled.
void optionalLine(std::ostream& out, const char* code, const std::string& text, int fill) {
    if (!text.empty()) {
        line(out, stringf("HF%s%s", code, text.c_str()));
    } else if (fill) {
        line(out, stringf("HO%s", code));
    }
}

void lineIfPresent(std::ostream& out, const char* format, const std::string& text) {
    if (!text.empty()) line(out, stringf(format, text.c_str()));
}

}  // namespace

bool IGCHEADER::recordsEngineNoise() const {
    return std::strncmp(hardwareVersion.c_str(), "3.3", 4) >= 0;
}

void IGCHEADER::output(int igcVersion, int fillMissing) {
    if (out == nullptr) return;
    for (std::string* text : {&pilot, &gliderType, &gliderId, &competitionClass, &competitionId,
                              &recorderId, &date, &fixAccuracy}) {
        igc_filter(*text);
    }
    const int major = igcVersion / 100;
    const int minor = igcVersion % 100;
    const bool longARecord = igcVersion >= 413 && igcVersion <= 415;
    if (longARecord) {
        line(*out, stringf("A%s%s  :%01d.%02d created by DATA-GCS version:%01d.%02d", "GCS",
                           recorderId.c_str(), major, minor, major, minor));
    } else {
        line(*out, stringf("A%s%s", "GCS", recorderId.c_str()));
    }
    line(*out, stringf("HFDTE%s", date.c_str()));
    line(*out, stringf("HFFXA%s", fixAccuracy.c_str()));
    optionalLine(*out, "PLTPILOT:", pilot, fillMissing);
    optionalLine(*out, "GTYGLIDERTYPE:", gliderType, fillMissing);
    optionalLine(*out, "GIDGLIDERID:", gliderId, fillMissing);
    line(*out, stringf("HFDTM%sGPSDATUM:%s", gpsDatum.c_str(), "WGS84"));
    line(*out, stringf("HFRFWFIRMWAREVERSION:%s", firmwareVersion.c_str()));
    line(*out, stringf("HFRHWHARDWAREVERSION:%s", hardwareVersion.c_str()));
    if (igcVersion > 420) lineIfPresent(*out, "HFFTYFR TYPE:%s", recorderType);
    lineIfPresent(*out, "HFCIDCOMPETITIONID:%s", competitionId);
    lineIfPresent(*out, "HFCCLCOMPETITIONCLASS:%s", competitionClass);
    lineIfPresent(*out, "HFTZNTIMEZONE:%s", timeZone);
    const bool engineNoise = longARecord || recordsEngineNoise();
    line(*out, engineNoise ? "I023638FXA3941ENL" : "I013638FXA");
    if (igcVersion >= 416 && fillMissing == 1) {
        line(*out, stringf("LCONV-VER:%01d.%02d", major, minor));
    }
}

}  // namespace kelvo::vl
