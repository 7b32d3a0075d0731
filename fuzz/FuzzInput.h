#pragma once

#include <cstddef>
#include <cstdint>

// Takes small numbers off the front of a fuzz input; what is left is the data itself.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte()
    {
        if (size_ == 0)
            return 0;
        --size_;
        return *data_++;
    }
    bool Empty() const { return size_ == 0; }
    const std::uint8_t* Data() const { return data_; }
    std::size_t Size() const { return size_; }

    // The next up to n bytes.
    const std::uint8_t* Take(std::size_t& n)
    {
        if (n > size_)
            n = size_;
        const std::uint8_t* taken = data_;
        data_ += n;
        size_ -= n;
        return taken;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};
