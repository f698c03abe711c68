// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The image check against a small strict reader of its own: the input is the whole file, read as an
// S-record and as an Intel HEX image, each with the units' limits and with limits that take any address.
// Both must accept the same files, and read the same records from them.
//
// The reader below is written from the rules the units set, not from the check's code, and shares
// nothing with it: lines end in LF or CR LF; lines of spaces and tabs are skipped; a record is whole and
// sound (record mark, known type, digit pairs, count, checksum); data stays within the limits and writes
// no address twice; S5/S6 counts count the data records before them; HEX takes types 00, 01 (without
// data) and 04 only, addresses count words, and the end-of-file record is there; after the end record
// only blank lines follow.
#include "firmware/firmwareimagecheck.h"
#include "firmware/heximagereader.h"
#include "firmware/sendfirmware.h"
#include "firmware/srecordimagereader.h"
#include "fuzzsupport.h"

#include <QBuffer>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Reading
{
    bool ok = false;
    std::vector<std::string> records;                   // S-records as sent
    std::vector<std::pair<uint64_t, std::string>> data; // HEX data records at their word addresses
    std::vector<std::pair<uint64_t, uint64_t>> written; // first and last address of each record
};

struct Line
{
    std::string text;
    std::string end;
};

std::vector<Line> linesOf(const std::string& file)
{
    std::vector<Line> lines;
    size_t start = 0;
    while (start < file.size()) {
        const size_t newline = file.find('\n', start);
        Line line;
        line.text = file.substr(start, newline == std::string::npos ? std::string::npos : newline - start);
        if (newline != std::string::npos) {
            line.end = "\n";
            if (!line.text.empty() && line.text.back() == '\r') {
                line.text.pop_back();
                line.end = "\r\n";
            }
        }
        lines.push_back(line);
        start = newline == std::string::npos ? file.size() : newline + 1;
    }
    return lines;
}

bool blank(const std::string& text)
{
    return text.find_first_not_of(" \t") == std::string::npos;
}

int digit(char c)
{
    const char* digits = "0123456789abcdef0123456789ABCDEF";
    const char* found = c ? std::strchr(digits, c) : nullptr;
    return found ? int(found - digits) % 16 : -1;
}

// The digit pairs from `from` on as bytes; false on anything else.
bool bytesOf(const std::string& text, size_t from, std::vector<uint8_t>& bytes)
{
    if (text.size() < from || (text.size() - from) % 2 != 0)
        return false;
    for (size_t i = from; i < text.size(); i += 2) {
        const int high = digit(text[i]);
        const int low = digit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(uint8_t(high * 16 + low));
    }
    return true;
}

bool noAddressTwice(std::vector<std::pair<uint64_t, uint64_t>> written)
{
    std::sort(written.begin(), written.end());
    for (size_t i = 1; i < written.size(); ++i) {
        if (written[i].first <= written[i - 1].second)
            return false;
        written[i].second = std::max(written[i].second, written[i - 1].second);
    }
    return !written.empty();
}

Reading srecords(const std::string& file, uint64_t limit)
{
    Reading reading;
    bool ended = false;
    uint64_t dataRecords = 0;
    std::string lastEnd = "\n";
    for (const Line& line : linesOf(file)) {
        if (line.text.size() > 514)
            return {};
        if (blank(line.text))
            continue;
        const std::string types = "012356789";
        if (ended || line.text.size() < 2 || line.text[0] != 'S' || types.find(line.text[1]) == std::string::npos)
            return {};
        const char type = line.text[1];
        const int width = std::string("0159").find(type) != std::string::npos  ? 2
                          : std::string("268").find(type) != std::string::npos ? 3
                                                                               : 4;
        std::vector<uint8_t> bytes;
        if (!bytesOf(line.text, 2, bytes) || bytes.empty() || bytes[0] != bytes.size() - 1 || bytes[0] < width + 1)
            return {};
        unsigned sum = 0;
        for (size_t i = 0; i + 1 < bytes.size(); ++i)
            sum += bytes[i];
        if (uint8_t(~sum) != bytes.back())
            return {};
        uint64_t address = 0;
        for (int i = 1; i <= width; ++i)
            address = address * 256 + bytes[size_t(i)];
        const uint64_t length = bytes.size() - 2 - size_t(width);
        if ((type == '5' || type == '6') && address != dataRecords)
            return {};
        ended = type >= '7';
        if (type >= '1' && type <= '3') {
            ++dataRecords;
            if (address + std::max<uint64_t>(length, 1) > limit)
                return {};
            if (length > 0)
                reading.written.push_back({address, address + length - 1});
        }
        if (!line.end.empty())
            lastEnd = line.end;
        reading.records.push_back(line.text + (line.end.empty() ? lastEnd : line.end));
    }
    reading.ok = noAddressTwice(reading.written);
    return reading;
}

// Sections run on while a record starts where the one before it in the file ended; the bootloader writes
// each in blocks from its start, and no block may start after the last one the flash takes.
bool blocksFit(const Reading& reading, uint64_t lastBlockStart, uint64_t blockWords)
{
    for (size_t i = 0; i < reading.data.size();) {
        const uint64_t start = reading.data[i].first;
        uint64_t bytes = reading.data[i].second.size();
        for (++i; i < reading.data.size() && 2 * reading.data[i].first == 2 * start + bytes; ++i)
            bytes += reading.data[i].second.size();
        if (start + blockWords * ((bytes - 1) / (2 * blockWords)) > lastBlockStart)
            return false;
    }
    return true;
}

Reading intelHex(const std::string& file, uint64_t firstWord, uint64_t lastBlockStart, uint64_t blockWords)
{
    Reading reading;
    bool ended = false;
    uint64_t upper = 0;
    for (const Line& line : linesOf(file)) {
        if (line.text.size() > 519)
            return {};
        if (blank(line.text))
            continue;
        std::vector<uint8_t> bytes;
        if (ended || line.text[0] != ':' || !bytesOf(line.text, 1, bytes) || bytes.size() < 5 ||
            bytes[0] != bytes.size() - 5)
            return {};
        unsigned sum = 0;
        for (const uint8_t byte : bytes)
            sum += byte;
        if (sum % 256 != 0)
            return {};
        const uint64_t field = bytes[1] * 256u + bytes[2];
        const std::string data(bytes.begin() + 4, bytes.end() - 1);
        if (bytes[3] == 0x01 && data.empty()) {
            ended = true;
        } else if (bytes[3] == 0x04 && field == 0 && data.size() == 2) {
            upper = (bytes[4] * 256u + bytes[5]) * 65536ull;
        } else if (bytes[3] != 0x00) {
            return {};
        } else if (!data.empty()) {
            const uint64_t first = upper + field;
            const uint64_t last = first + (data.size() - 1) / 2;
            if (first < firstWord || last > lastBlockStart + blockWords - 1)
                return {};
            reading.data.push_back({first, data});
            reading.written.push_back({first, last});
        }
    }
    reading.ok = ended && noAddressTwice(reading.written) && blocksFit(reading, lastBlockStart, blockWords);
    return reading;
}

// The checker's verdict and image against the reference's.
void compare(bool ok, const FirmwareImage& image, const Reading& reference)
{
    FUZZ_CHECK(ok == reference.ok);
    if (!ok)
        return;
    FUZZ_CHECK(size_t(image.records.size()) == reference.records.size());
    for (size_t i = 0; i < reference.records.size(); ++i)
        FUZZ_CHECK(image.records.at(int(i)).toStdString() == reference.records[i]);
    FUZZ_CHECK(size_t(image.recordData.size()) == reference.data.size());
    FUZZ_CHECK(image.recordAddresses.size() == image.recordData.size());
    for (size_t i = 0; i < reference.data.size(); ++i) {
        FUZZ_CHECK(image.recordAddresses.at(int(i)) == reference.data[i].first);
        FUZZ_CHECK(image.recordData.at(int(i)).toStdString() == reference.data[i].second);
    }
    uint64_t covered = 0;
    for (const FirmwareImage::Range& range : image.ranges)
        covered += range.last - range.first + 1;
    uint64_t written = 0;
    for (const auto& record : reference.written)
        written += record.second - record.first + 1;
    FUZZ_CHECK(covered == written);
}

FirmwareImageCheck::Result checked(QByteArray content, FirmwareImageKind kind)
{
    QBuffer buffer(&content);
    FUZZ_CHECK(buffer.open(QIODevice::ReadOnly));
    const FirmwareImageCheck::Result result = FirmwareImageCheck::check(buffer, QStringLiteral("input"), kind);
    FUZZ_CHECK(result.ok == result.reason.isEmpty());
    return result;
}

// The input with the count and checksum of every line that is a record's digits made right, so that
// mutations reach what lies beyond them: limits, overlaps, record counts, the end record.
std::string withSumsMadeRight(const std::string& file)
{
    std::string out;
    for (const Line& line : linesOf(file)) {
        const bool hex = !line.text.empty() && line.text[0] == ':';
        const size_t from = hex ? 1 : 2;
        std::vector<uint8_t> bytes;
        const bool record = (hex || (line.text.size() > 1 && line.text[0] == 'S')) && bytesOf(line.text, from, bytes) &&
                            bytes.size() >= (hex ? 5u : 2u) && bytes.size() <= (hex ? 260u : 256u);
        if (!record) {
            out += line.text + line.end;
            continue;
        }
        bytes[0] = uint8_t(bytes.size() - (hex ? 5 : 1));
        unsigned sum = 0;
        for (size_t i = 0; i + 1 < bytes.size(); ++i)
            sum += bytes[i];
        bytes.back() = uint8_t(hex ? 0x100 - sum % 256 : ~sum);
        std::string text = line.text.substr(0, from);
        for (const uint8_t byte : bytes)
            text += "0123456789ABCDEF"[byte / 16], text += "0123456789ABCDEF"[byte % 16];
        out += text + line.end;
    }
    return out;
}

void compareAll(const std::string& file)
{
    const QByteArray content = QByteArray::fromStdString(file);
    const uint64_t anyAddress = uint64_t(1) << 40;
    const FirmwareImageCheck::Result srecord = checked(content, FirmwareImageKind::SRecord);
    compare(srecord.ok, srecord.image, srecords(file, FirmwareImageCheck::sRecordAddressLimit));
    FirmwareImage wide;
    compare(!SRecordImageReader(anyAddress).read(content, wide).isFault(), wide, srecords(file, anyAddress));

    const FirmwareImageCheck::Result hex = checked(content, FirmwareImageKind::IntelHex);
    compare(hex.ok, hex.image,
            intelHex(file, SendFirmware::rangeStart, SendFirmware::rangeEnd, SendFirmware::blockWords));
    FirmwareImage wideHex;
    compare(!HexImageReader(0, 0xFFFFFF00, 0x100).read(content, wideHex).isFault(), wideHex,
            intelHex(file, 0, 0xFFFFFF00, 0x100));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::startApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string file(reinterpret_cast<const char*>(data), size);
    compareAll(file);
    const std::string madeRight = withSumsMadeRight(file);
    if (madeRight != file)
        compareAll(madeRight);
    return 0;
}
