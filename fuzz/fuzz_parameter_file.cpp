// Parameter files: any file loads to numbers that are all finite, all of them writable when the
// file is taken, and the text each is saved as loads back to the very same number. (Writing the
// keys into the file is the settings-file target's part; doing it here for every input would make
// this target a hundred times slower.)
#include "common/FloatText.h"
#include "common/NumberText.h"
#include "parameters/ParameterSet.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace qemra;

namespace {

const QString& FilePath()
{
    static const QTemporaryDir folder;
    static const QString path = folder.path() + QStringLiteral("/Loaded.qemra");
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        QFile file(FilePath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) != static_cast<qint64>(size))
            return 0;
    }
    TWritePrm prm;
    const ParameterLoad load = LoadParameterFile(prm, FilePath());
    for (const TParameterKey& key : ParameterKeys) {
        // A file that is taken holds only values a write request can carry.
        if (!std::isfinite(key.Value(prm)) ||
            (load == ParameterLoad::Loaded && !ParameterValueWritable(key.Value(prm))))
            std::abort();
    }

    for (const TParameterKey& key : ParameterKeys) {
        const float a = key.Value(prm);
        const QString saved = GeneralFloatText(static_cast<double>(a), kParameterFileExponentBelow);
        float b = 0;
        if (!TryTextToSingle(saved, b, QLatin1Char('.')) || (std::memcmp(&a, &b, sizeof a) != 0 && !(a == 0 && b == 0)))
            std::abort();
    }
    return 0;
}
