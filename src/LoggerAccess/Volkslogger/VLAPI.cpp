#include "LoggerAccess/Volkslogger/VLAPI.h"

#include "LoggerAccess/Volkslogger/DBB.h"
#include "LoggerAccess/Volkslogger/GRECORD.h"
#include "LoggerAccess/Volkslogger/VolksloggerConversion.h"
#include "base/AtomicFile.h"

namespace kelvo::vl {
namespace {

using namespace std::chrono_literals;

constexpr long kEraseMilliseconds = 15000;

}  // namespace

VLAPI::~VLAPI() {
    close(1);
}

int VLAPI::open(int connectNow, std::chrono::milliseconds wait, int quiet, long dataBaud) {
    noninteractive = quiet != 0;
    int result = serial_open_port();
    if (result == VLA_ERR_NOERR) result = serial_set_baudrate(commandbaud);
    if (result == VLA_ERR_NOERR) {
        set_databaud(dataBaud);
        if (connectNow) {
            result = connect(wait, quiet);
            if (result == VLA_ERR_NOERR) vlpresent = true;
        }
    }
    if (result == VLA_ERR_COMM && portIsOpen()) serial_close_port();
    return result;
}

void VLAPI::close(int sendEndCommand) {
    if (!vlpresent) return;
    if (sendEndCommand) sendcommand(cmd_BYE, 0, 0);
    serial_close_port();
    vlpresent = false;
}

int VLAPI::stillconnect() {
    int result = connect(4s, 1);
    if (result != VLA_ERR_NOERR) result = connect(10s, 0);
    if (result == VLA_ERR_NOERR) vlpresent = true;
    return result;
}

int VLAPI::read_info() {
    if (const int result = stillconnect(); result != VLA_ERR_NOERR) return result;
    std::uint8_t buffer[kInfoBufferSize];
    const int result = readinfo(buffer, kInfoBufferSize);
    if (result != VLA_ERR_NOERR) return result;
    vlinfo.sessionid = getU16BE(buffer, 0);
    vlinfo.vlserno = getU16BE(buffer, 2);
    vlinfo.fwmajor = buffer[4] >> 4;
    vlinfo.fwminor = buffer[4] & 0x0F;
    vlinfo.hwmajor = buffer[5] >> 4;
    vlinfo.hwminor = buffer[5] & 0x0F;
    vlinfo.fwbuild = buffer[7];
    return VLA_ERR_NOERR;
}

int VLAPI::read_directory() {
    if (const int result = stillconnect(); result != VLA_ERR_NOERR) return result;
    Bytes buffer(kDirectoryBufferSize);
    const int result = readdir(buffer.data(), kDirectoryBufferSize);
    if (result == VLA_ERR_NOFLIGHTS) directory.clear();
    if (result != VLA_ERR_NOERR) return result;
    std::vector<DIRENTRY> entries;
    if (conv_dir(&entries, buffer, 0) < 1) {
        directory.clear();
        return VLA_ERR_NOFLIGHTS;
    }
    directory = std::move(entries);
    return VLA_ERR_NOERR;
}

int VLAPI::read_igcfile(const std::filesystem::path& path, int flightNumber, int secure) {
    AtomicFile file(path);
    if (!file.isOpen()) return VLA_ERR_FILE;
    if (const int result = stillconnect(); result != VLA_ERR_NOERR) return result;
    Bytes buffer(kFlightBufferSize, 0xFF);
    const long received = flightget(buffer.data(), kFlightBufferSize, flightNumber, secure);
    if (m_lastTransferSilent) return VLA_ERR_TIMEOUT;
    // A flight or signature that failed its CRC must not replace an earlier good file.
    if (received <= 0) return VLA_ERR_MISC;
    const long covered = convert_gcs(0, file.stream(), buffer, 1, nullptr, nullptr);
    if (covered <= 0) return VLA_ERR_MISC;
    print_g_record(file.stream(), buffer, covered);
    return file.commit() ? VLA_ERR_NOERR : VLA_ERR_FILE;
}

int VLAPI::read_db_and_declaration() {
    if (const int result = stillconnect(); result != VLA_ERR_NOERR) return result;
    Bytes buffer(DBB::kImageSize);
    if (const int result = dbbget(buffer.data(), DBB::kImageSize); result != VLA_ERR_NOERR) {
        return result;
    }
    database.readImage(buffer);
    return VLA_ERR_NOERR;
}

int VLAPI::write_db_and_declaration() {
    const Bytes image = database.buildImage();
    if (const int result = stillconnect(); result != VLA_ERR_NOERR) return result;
    return dbbput(image.data(), static_cast<long>(image.size()));
}

int VLAPI::clear_directory() {
    if (const int result = stillconnect(); result != VLA_ERR_NOERR) return result;
    if (sendcommand(cmd_CFL, 0, 0) != 0) return VLA_ERR_MISC;
    wait_ms(kEraseMilliseconds);  // the recorder erases its flight memory meanwhile
    if (const int result = connect(10s, 1); result != VLA_ERR_NOERR) return result;
    return stillconnect();
}

}  // namespace kelvo::vl
