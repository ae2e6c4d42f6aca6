#include "core/common/signature.h"

namespace korvant {

void TFileSignature::Write(ByteWriter& w) const {
  w.u8(Length);
  for (char c : Magic) w.u8(static_cast<uint8_t>(c));
  w.u8(0);
  w.i32(Major);
  w.i32(Minor);
}

bool TFileSignature::Read(ByteReader& r) {
  ByteReader s = r.sub(kFileSignatureSize);
  if (!s.ok()) {
    *this = TFileSignature{};
    return false;
  }
  Length = s.u8();
  for (char& c : Magic) c = static_cast<char>(s.u8());
  s.skip(1);
  Major = s.i32();
  Minor = s.i32();
  return true;
}

namespace {

bool SameMagic(const TFileSignature& a, const TFileSignature& b) {
  return a.Length == b.Length && a.Magic == b.Magic;
}

}  // namespace

bool IsKnownFileVersion(const TFileSignature& programSig, int32_t major, int32_t minor) {
  if (SameMagic(programSig, ProjectSignature)) return major == 1 && minor >= 0 && minor <= 3;
  if (SameMagic(programSig, VarSignature) || SameMagic(programSig, JournalSignature))
    return major == 1 && minor == 0;
  return major == programSig.Major && minor == programSig.Minor;
}

int CompareFileSignature(const TFileSignature& fileSig, const TFileSignature& programSig) {
  if (!SameMagic(fileSig, programSig)) return kSigOther;
  if (fileSig.Major > programSig.Major) return kSigNewerMajor;
  if (fileSig.Major == programSig.Major && fileSig.Minor > programSig.Minor) return kSigNewerMinor;
  return IsKnownFileVersion(programSig, fileSig.Major, fileSig.Minor) ? kSigAccepted : kSigOther;
}

}  // namespace korvant
