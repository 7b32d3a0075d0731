#include "link/KeyValue.h"

#include <cstring>

namespace qemra {

namespace {
// One byte per character into a string that keeps the room it has, so refilling the same answer
// list every poll allocates nothing once its strings have grown.
void AssignLatin1(QString& out, const char* bytes, qsizetype n)
{
    out.resize(n);
    char16_t* chars = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < n; ++i)
        chars[i] = static_cast<unsigned char>(bytes[i]);
}
}  // namespace

int PackPairs(const TKeyValue* list, QByteArray& text, int n, int limit)
{
    int packed = 0;
    for (int i = 0; i < n; ++i) {
        const TKeyValue& pair = list[packed];
        const QByteArray key = pair.Key.toLatin1();
        const QByteArray value = pair.Value.toLatin1();
        // Once a pair does not fit, no later pair is tried: the request keeps its leading run.
        if (text.size() + key.size() + value.size() + 2 >= limit)
            break;
        text += key;
        text += '=';
        text += value;
        text += ',';
        ++packed;
    }
    return packed;
}

int SplitPairs(const QByteArray& text, TKeyValue* list, int capacity)
{
    // Each item up to a "," is a pair: the key runs to the first "=", the value is the rest with
    // any further "=" left out. One byte is one character, 0x80-0xFF included.
    int count = 0;
    const char* const begin = text.constData();
    const char* const end = begin + text.size();
    for (const char* item = begin; item < end && count < capacity;) {
        const char* comma = static_cast<const char*>(std::memchr(item, ',', static_cast<std::size_t>(end - item)));
        if (comma == nullptr)
            break;  // text after the last "," is no pair
        const char* eq = static_cast<const char*>(std::memchr(item, '=', static_cast<std::size_t>(comma - item)));
        TKeyValue& pair = list[count++];
        if (eq == nullptr) {
            AssignLatin1(pair.Key, item, comma - item);
            pair.Value.resize(0);
        } else {
            AssignLatin1(pair.Key, item, eq - item);
            AssignLatin1(pair.Value, eq + 1, comma - eq - 1);
            if (pair.Value.contains(u'='))
                pair.Value.remove(u'=');
        }
        item = comma + 1;
    }
    return count;
}

}  // namespace qemra
