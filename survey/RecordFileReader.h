#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace qemra {

// The twelve quantities of the daily record files, in their column order.
enum class RecordQuantity {
    Wind,
    AirTemp,
    Rh,
    RadiantTemp,
    Mets,
    Clo,
    Pmv,
    WbgtOut,
    WbgtIn,
    AbsHumidity,
    DewPoint,
    WetBulb
};
inline constexpr int kRecordQuantities = 12;

// One value per quantity, indexed by RecordQuantity.
using RecordValues = std::array<double, kRecordQuantities>;

inline constexpr std::size_t QuantityIndex(RecordQuantity quantity) { return static_cast<std::size_t>(quantity); }

// A row's local time as written in the file; a minute row has second 0.
struct RecordTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    auto operator<=>(const RecordTime&) const = default;
};

// "yyyy/mm/dd hh:nn:ss" and twelve values.
struct SecondRecordRow {
    RecordTime time;
    RecordValues values{};
};

// "yyyy/mm/dd hh:nn" and average, maximum and minimum of each of the twelve quantities; the further
// groups of a maintenance row are checked but not kept.
struct MinuteRecordRow {
    RecordTime time;
    RecordValues average{};
    RecordValues maximum{};
    RecordValues minimum{};
};

// One line of a record file in its CP932 bytes, without its line end. A row is the time stamp, a
// comma, then every value followed by a comma and nothing after; numbers are decimal texts with "."
// as std::from_chars reads them, so a value is the double nearest to its text, and none beyond
// +-1e6. False for anything else, the header lines included.
bool ParseSecondRow(std::string_view line, SecondRecordRow& row);
bool ParseMinuteRow(std::string_view line, MinuteRecordRow& row);

// The header lines the recorder writes: a second record file starts with its port line and unit
// line; a minute record file holds its label and unit lines at the start and again wherever
// maintenance mode widened it.
bool IsSecondHeaderLine(std::string_view line);
bool IsMinuteHeaderLine(std::string_view line);

// A file read front to back in blocks of a fixed size, handed out line by line; only one block is
// ever held. CR LF, LF and a lone CR each end a line; a last line without line end is handed out
// too. A line longer than a block is passed over whole and reported as one overlong line.
class BlockLineReader {
public:
    static constexpr std::size_t kDefaultBlockBytes = std::size_t{1} << 20;

    explicit BlockLineReader(std::size_t blockBytes = kDefaultBlockBytes);
    ~BlockLineReader();
    BlockLineReader(const BlockLineReader&) = delete;
    BlockLineReader& operator=(const BlockLineReader&) = delete;

    // False with `error` set when the file cannot be opened; any file open before is closed.
    // Reading starts `offset` bytes into the file, where a line must begin.
    bool Open(const QString& path, QString* error = nullptr, std::int64_t offset = 0);

    struct Line {
        std::string_view text;  // valid until the next call
        bool overlong = false;  // the text is empty then
    };
    // False at the end of the file, or when reading failed (ReadFailed()).
    bool Next(Line& line);

    std::int64_t BytesRead() const { return bytesRead_; }
    bool ReadFailed() const { return readFailed_; }
    // Where in the file the line last handed out begins.
    std::int64_t LineOffset() const { return lineOffset_; }

private:
    bool Refill();  // false when nothing more could be read
    void Close();

    std::unique_ptr<char[]> block_;
    std::size_t capacity_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    int fd_ = -1;
    bool atEnd_ = true;
    bool skipLf_ = false;  // the last line ended with a CR at the very end of the block
    bool readFailed_ = false;
    std::int64_t bytesRead_ = 0;
    std::int64_t blockOffset_ = 0;  // where in the file block_[0] was read from
    std::int64_t lineOffset_ = 0;
};

// The rows of one record file in file order, in one pass; header lines and blank lines are passed
// over, anything else that is no row is counted and passed over.
template <class Row>
class RecordFileReader {
public:
    explicit RecordFileReader(std::size_t blockBytes = BlockLineReader::kDefaultBlockBytes) : lines_(blockBytes) {}

    bool Open(const QString& path, QString* error = nullptr, std::int64_t offset = 0)
    {
        skipped_ = 0;
        return lines_.Open(path, error, offset);
    }
    // False at the end of the file.
    bool Next(Row& row);

    std::int64_t SkippedRows() const { return skipped_; }
    std::int64_t BytesRead() const { return lines_.BytesRead(); }
    // Where in the file the row last handed out begins.
    std::int64_t RowOffset() const { return lines_.LineOffset(); }
    // Reading stopped early at an error of the file system.
    bool ReadFailed() const { return lines_.ReadFailed(); }

private:
    BlockLineReader lines_;
    std::int64_t skipped_ = 0;
};

using SecondRecordReader = RecordFileReader<SecondRecordRow>;
using MinuteRecordReader = RecordFileReader<MinuteRecordRow>;

extern template class RecordFileReader<SecondRecordRow>;
extern template class RecordFileReader<MinuteRecordRow>;

}  // namespace qemra
