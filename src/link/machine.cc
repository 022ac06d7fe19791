#include "machine.h"

#include "text.h"

namespace librarian {

namespace {

const Machine kX86 = {"x86", 0x014c, true, false, 7, true};        // IMAGE_REL_I386_DIR32NB
const Machine kX64 = {"x64", 0x8664, true, true, 3, false};        // IMAGE_REL_AMD64_ADDR32NB
const Machine kArm = {"ARM", 0x01c4, true, false, 2, false};       // IMAGE_REL_ARM_ADDR32NB
const Machine kArm64 = {"ARM64", 0xaa64, true, true, 2, false};    // IMAGE_REL_ARM64_ADDR32NB
const Machine kIa64 = {"IA64", 0x0200, false, true, 0, false};
const Machine kAlpha = {"Alpha", 0x0184, false, false, 0, false};
const Machine kAlpha64 = {"Alpha64", 0x0284, false, true, 0, false};

struct Name {
  const char* value;
  const Machine* machine;
};

const Name kNames[] = {
    {"ix86", &kX86},   {"x86", &kX86},     {"i386", &kX86},   {"x64", &kX64},
    {"amd64", &kX64},  {"arm", &kArm},     {"arm64", &kArm64}, {"ia64", &kIa64},
    {"alpha", &kAlpha}, {"alpha64", &kAlpha64},
};

}  // namespace

const Machine* find_machine(const std::string& value) {
  std::string v = lower(value);
  for (const Name& n : kNames) {
    if (v == n.value) return n.machine;
  }
  return nullptr;
}

const Machine& default_machine() { return kX86; }

const char* machine_values() {
  return "ix86, x86, i386, x64, amd64, arm, arm64 (ia64, alpha and alpha64 are known but not supported)";
}

}  // namespace librarian
