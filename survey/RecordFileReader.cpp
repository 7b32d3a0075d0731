#include "survey/RecordFileReader.h"

#include <QFile>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <string>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

namespace qemra {

namespace {

// The files hold CP932 text; the labels are kept here in UTF-8 and converted once, so a header
// line is recognised by its bytes without decoding any line.
std::string Cp932(std::string_view utf8)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string in(utf8);
    std::string out(in.size() * 2 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1))
        return {};
    out.resize(out.size() - outLeft);
    return out;
}

constexpr const char* kMinuteLabels[] = {
    "風速",         "気温",         "湿度",         "輻射熱",   "METs",      "clo",      "PMV",        "WBGTo",
    "WBGTi",        "絶対湿度",     "露点温度",     "湿球温度", "風向",      "気温１",   "気温２",     "WDS温度１",
    "WDS温度２",    "BGT温度１",    "BGT温度２",    "BB温度１", "BB温度２",  "BB温度３", "SHT気温",    "SHT湿度",
    "風速(補正前)", "気温(内部用)", "プローブ温度", "温度差",   "CPU使用率", "電源電圧", "AD変換回数", "DA出力値",
};
constexpr int kStandardGroups = 12;
constexpr int kMaintenanceGroups = 32;
static_assert(std::size(kMinuteLabels) == kMaintenanceGroups);

// The header lines in the bytes the recorder writes them.
struct HeaderBytes {
    std::string secondPortTail;  // the first line after its port name
    std::string secondUnits;
    std::string minuteLabels[2];  // standard and maintenance layout
    std::string minuteUnits[2];

    HeaderBytes()
        : secondPortTail(Cp932(",風速,気温,湿度,輻射熱,METs,clo,PMV,WBGTo,WBGTi,絶対湿度,露点温度,湿球温度,")),
          secondUnits(Cp932("時刻,m/s.,℃,％,℃,,,,℃,℃,g/kg,℃,℃,"))
    {
        const int groups[2] = {kStandardGroups, kMaintenanceGroups};
        for (int layout = 0; layout < 2; ++layout) {
            std::string labels = ",";
            std::string units = "時刻,";
            for (int i = 0; i < groups[layout]; ++i) {
                labels += std::string(kMinuteLabels[i]) + ",,,";
                units += "Avg,Max,Min,";
            }
            minuteLabels[layout] = Cp932(labels);
            minuteUnits[layout] = Cp932(units);
        }
    }
};

const HeaderBytes& Headers()
{
    static const HeaderBytes bytes;
    return bytes;
}

bool TwoDigits(const char* p, int& out)
{
    if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9')
        return false;
    out = (p[0] - '0') * 10 + (p[1] - '0');
    return true;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// "yyyy/mm/dd hh:nn" and, with seconds, ":ss"; then the comma that ends the field.
bool ParseTime(std::string_view line, bool withSeconds, RecordTime& time, std::size_t& next)
{
    const std::size_t length = withSeconds ? 19 : 16;
    if (line.size() <= length || line[length] != ',')
        return false;
    const char* p = line.data();
    int century = 0;
    int year = 0;
    if (!TwoDigits(p, century) || !TwoDigits(p + 2, year) || p[4] != '/' || !TwoDigits(p + 5, time.month) ||
        p[7] != '/' || !TwoDigits(p + 8, time.day) || p[10] != ' ' || !TwoDigits(p + 11, time.hour) || p[13] != ':' ||
        !TwoDigits(p + 14, time.minute))
        return false;
    time.year = century * 100 + year;
    time.second = 0;
    if (withSeconds && (p[16] != ':' || !TwoDigits(p + 17, time.second)))
        return false;
    if (time.year == 0 || time.month < 1 || time.month > 12 || time.day < 1 ||
        time.day > DaysInMonth(time.year, time.month) || time.hour > 23 || time.minute > 59 || time.second > 59)
        return false;
    next = length + 1;
    return true;
}

// No quantity of the instrument comes near this; a larger value is a damaged line, and would
// swamp every sum it entered.
constexpr double kLargestValue = 1e6;

// One value and the comma after it; a value of the twelve quantities within +-kLargestValue.
bool ParseField(const char*& p, const char* end, double& value, bool quantity = true)
{
    const auto [stop, error] = std::from_chars(p, end, value, std::chars_format::general);
    if (error != std::errc() || stop == end || *stop != ',' || !std::isfinite(value) ||
        (quantity && !(std::fabs(value) <= kLargestValue)))
        return false;
    p = stop + 1;
    return true;
}

// The first of CR and LF in [from, to), or null.
const char* FindLineEnd(const char* from, const char* to)
{
    const auto* lf = static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(to - from)));
    const char* limit = lf != nullptr ? lf : to;
    const auto* cr = static_cast<const char*>(std::memchr(from, '\r', static_cast<std::size_t>(limit - from)));
    return cr != nullptr ? cr : lf;
}

}  // namespace

bool ParseSecondRow(std::string_view line, SecondRecordRow& row)
{
    std::size_t start = 0;
    if (!ParseTime(line, true, row.time, start))
        return false;
    const char* p = line.data() + start;
    const char* end = line.data() + line.size();
    for (double& value : row.values)
        if (!ParseField(p, end, value))
            return false;
    return p == end;
}

bool ParseMinuteRow(std::string_view line, MinuteRecordRow& row)
{
    std::size_t start = 0;
    if (!ParseTime(line, false, row.time, start))
        return false;
    const char* p = line.data() + start;
    const char* end = line.data() + line.size();
    for (int i = 0; i < kRecordQuantities; ++i)
        if (!ParseField(p, end, row.average[i]) || !ParseField(p, end, row.maximum[i]) ||
            !ParseField(p, end, row.minimum[i]))
            return false;
    if (p == end)
        return true;
    // A maintenance row: the further groups must be whole too.
    double ignored = 0;
    for (int i = 0; i < 3 * (kMaintenanceGroups - kStandardGroups); ++i)
        if (!ParseField(p, end, ignored, false))
            return false;
    return p == end;
}

bool IsSecondHeaderLine(std::string_view line)
{
    const HeaderBytes& headers = Headers();
    return line == headers.secondUnits || line.ends_with(headers.secondPortTail);
}

bool IsMinuteHeaderLine(std::string_view line)
{
    const HeaderBytes& headers = Headers();
    for (int layout = 0; layout < 2; ++layout)
        if (line == headers.minuteLabels[layout] || line == headers.minuteUnits[layout])
            return true;
    return false;
}

BlockLineReader::BlockLineReader(std::size_t blockBytes)
    : block_(std::make_unique<char[]>(blockBytes < 2 ? 2 : blockBytes)), capacity_(blockBytes < 2 ? 2 : blockBytes)
{
}

BlockLineReader::~BlockLineReader() { Close(); }

void BlockLineReader::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    begin_ = end_ = 0;
    atEnd_ = true;
    skipLf_ = false;
}

bool BlockLineReader::Open(const QString& path, QString* error, std::int64_t offset)
{
    Close();
    readFailed_ = false;
    bytesRead_ = 0;
    blockOffset_ = offset;
    lineOffset_ = offset;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    int failure = fd < 0 ? errno : 0;
    struct stat info {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        failure = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
    } else if (fd >= 0 && offset != 0 && ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) != offset) {
        failure = errno != 0 ? errno : EINVAL;
        ::close(fd);
    }
    if (failure != 0) {
        if (error != nullptr)
            *error = QString::fromLocal8Bit(std::strerror(failure));
        return false;
    }
    if (offset > 0 && ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
        if (error != nullptr)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return false;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    fd_ = fd;
    atEnd_ = false;
    return true;
}

bool BlockLineReader::Refill()
{
    if (atEnd_)
        return false;
    if (begin_ > 0) {
        std::memmove(block_.get(), block_.get() + begin_, end_ - begin_);
        blockOffset_ += static_cast<std::int64_t>(begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == capacity_)
        return false;
    ssize_t got = 0;
    do {
        got = ::read(fd_, block_.get() + end_, capacity_ - end_);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        readFailed_ = got < 0;
        atEnd_ = true;
        return false;
    }
    end_ += static_cast<std::size_t>(got);
    bytesRead_ += got;
    return true;
}

bool BlockLineReader::Next(Line& line)
{
    bool overlong = false;
    for (;;) {
        if (begin_ == end_ && !atEnd_)
            Refill();
        if (readFailed_)
            return false;
        const char* base = block_.get();
        if (skipLf_ && begin_ < end_) {
            // The line before ended with a CR at the end of the last block.
            skipLf_ = false;
            if (base[begin_] == '\n')
                ++begin_;
            continue;
        }
        const char* from = base + begin_;
        const char* to = base + end_;
        if (const char* stop = FindLineEnd(from, to); stop != nullptr) {
            lineOffset_ = blockOffset_ + (from - base);
            line.text = overlong ? std::string_view() : std::string_view(from, static_cast<std::size_t>(stop - from));
            line.overlong = overlong;
            begin_ = static_cast<std::size_t>(stop - base) + 1;
            if (*stop == '\r') {
                if (begin_ < end_)
                    begin_ += base[begin_] == '\n' ? 1 : 0;
                else
                    skipLf_ = true;
            }
            return true;
        }
        if (atEnd_) {
            // A last line without line end: a file cut short, or one still being written.
            if (begin_ == end_ && !overlong)
                return false;
            lineOffset_ = blockOffset_ + (from - base);
            line.text = overlong ? std::string_view() : std::string_view(from, static_cast<std::size_t>(to - from));
            line.overlong = overlong;
            begin_ = end_;
            return true;
        }
        if (begin_ == 0 && end_ == capacity_) {
            // No line end in a whole block: drop what there is and look for the end of this line.
            overlong = true;
            blockOffset_ += static_cast<std::int64_t>(end_);
            end_ = 0;
        }
        Refill();
    }
}

template <class Row>
bool RecordFileReader<Row>::Next(Row& row)
{
    BlockLineReader::Line line;
    while (lines_.Next(line)) {
        // A blank line holds no row to lose.
        if (!line.overlong && line.text.empty())
            continue;
        if (!line.overlong) {
            if constexpr (std::is_same_v<Row, SecondRecordRow>) {
                if (ParseSecondRow(line.text, row))
                    return true;
                if (IsSecondHeaderLine(line.text))
                    continue;
            } else {
                if (ParseMinuteRow(line.text, row))
                    return true;
                if (IsMinuteHeaderLine(line.text))
                    continue;
            }
        }
        ++skipped_;
    }
    return false;
}

template class RecordFileReader<SecondRecordRow>;
template class RecordFileReader<MinuteRecordRow>;

}  // namespace qemra
