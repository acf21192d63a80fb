#pragma once

#include <array>
#include <cstdint>

#include "packet.h"

#include "keyrecord.h"

// Sending on an encrypted connection: rewrites the packet as RSA ciphertext
// of bytes 5..end when its code and flags require it; else leaves it alone.
void EncryptPacket(TUserCmdRply &packet, const TKeyRecord &key);
// Receiving on an encrypted connection, after descrambling: decrypts a
// packet with flags bit 7, and refuses a plain one whose code must be encrypted.
void DecryptPacket(TUserCmdRply &packet, const TKeyRecord &key);
