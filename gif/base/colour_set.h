// A set of at most 256 24-bit colours, numbered in the order they were first added; the
// exact-colour reduction and the frame optimiser count and number colours with it.
#pragma once

#include <array>
#include <cstdint>

namespace gif {

class ColourSet {
  public:
    static constexpr uint32_t kNone = 0xFFFFFFFF;  // never a colour (colours are 24-bit)
    static constexpr int kCapacity = 256;

    ColourSet() { slots_.fill(kNone); }

    // The colour's number, adding it if new; -1 when it would be the 257th.
    int Find(uint32_t colour) {
        uint32_t slot = Slot(colour);
        while (slots_[slot] != colour) {
            if (slots_[slot] == kNone) {
                if (size_ == kCapacity) return -1;
                slots_[slot] = colour;
                number_[slot] = int16_t(size_);
                colours_[size_] = colour;
                return size_++;
            }
            slot = (slot + 1) & (kSlots - 1);
        }
        return number_[slot];
    }
    // The colour's number, or -1 when it is not in the set.
    int Lookup(uint32_t colour) const {
        for (uint32_t slot = Slot(colour); slots_[slot] != kNone; slot = (slot + 1) & (kSlots - 1))
            if (slots_[slot] == colour) return number_[slot];
        return -1;
    }
    int Size() const { return size_; }
    uint32_t Colour(int number) const { return colours_[number]; }

  private:
    static constexpr uint32_t kSlots = 1024;  // a quarter full at most: short probes
    static uint32_t Slot(uint32_t colour) { return (colour * 2654435761u) >> 22; }

    std::array<uint32_t, kSlots> slots_;
    std::array<int16_t, kSlots> number_{};
    std::array<uint32_t, kCapacity> colours_{};
    int size_ = 0;
};

}  // namespace gif
