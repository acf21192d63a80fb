#pragma once

#include "gmpreference.h"

// A 240-bit key pair made once with kelvra-keygen --seed 7.
struct FixedKey {
    TFGInt modulus = intFromHex("d4cc683e0705244cd96b1624c944f1b7861323f8f1321383cb2d82eafa75");
    TFGInt clientExponent = intFromHex("1df4ff36f162a5993918c7beb3e3bedda13557b5979382c96031322be111");
    TFGInt serverExponent = intFromHex("12f265b63b6b449c40549258f6743e35a981f4a4338911e3fa65f7d20019");
};
