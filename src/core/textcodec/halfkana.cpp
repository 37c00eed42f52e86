#include "core/textcodec/halfkana.h"

#include <cstdint>

namespace textcodec {
namespace {

// One row per byte 0xA1-0xDF: the full-width pair, and the pairs with the
// voiced and semi-voiced mark (0 where the letter takes none).
struct KanaRow {
  std::uint16_t plain;
  std::uint16_t voiced;
  std::uint16_t semiVoiced;
};

constexpr KanaRow kKana[0xDF - 0xA1 + 1] = {
    {0x8142, 0, 0}, {0x8175, 0, 0}, {0x8176, 0, 0}, {0x8141, 0, 0}, {0x8145, 0, 0},  // ｡｢｣､･
    {0x8392, 0, 0},                                                                  // ｦ
    {0x8340, 0, 0}, {0x8342, 0, 0}, {0x8344, 0, 0}, {0x8346, 0, 0}, {0x8348, 0, 0},  // ｧｨｩｪｫ
    {0x8383, 0, 0}, {0x8385, 0, 0}, {0x8387, 0, 0}, {0x8362, 0, 0},                  // ｬｭｮｯ
    {0x815B, 0, 0},                                                                  // ｰ
    {0x8341, 0, 0}, {0x8343, 0, 0}, {0x8345, 0x8394, 0}, {0x8347, 0, 0}, {0x8349, 0, 0},  // ｱｲｳｴｵ
    {0x834A, 0x834B, 0}, {0x834C, 0x834D, 0}, {0x834E, 0x834F, 0}, {0x8350, 0x8351, 0},
    {0x8352, 0x8353, 0},                                                             // ｶｷｸｹｺ
    {0x8354, 0x8355, 0}, {0x8356, 0x8357, 0}, {0x8358, 0x8359, 0}, {0x835A, 0x835B, 0},
    {0x835C, 0x835D, 0},                                                             // ｻｼｽｾｿ
    {0x835E, 0x835F, 0}, {0x8360, 0x8361, 0}, {0x8363, 0x8364, 0}, {0x8365, 0x8366, 0},
    {0x8367, 0x8368, 0},                                                             // ﾀﾁﾂﾃﾄ
    {0x8369, 0, 0}, {0x836A, 0, 0}, {0x836B, 0, 0}, {0x836C, 0, 0}, {0x836D, 0, 0},  // ﾅﾆﾇﾈﾉ
    {0x836E, 0x836F, 0x8370}, {0x8371, 0x8372, 0x8373}, {0x8374, 0x8375, 0x8376},
    {0x8377, 0x8378, 0x8379}, {0x837A, 0x837B, 0x837C},                              // ﾊﾋﾌﾍﾎ
    {0x837D, 0, 0}, {0x837E, 0, 0}, {0x8380, 0, 0}, {0x8381, 0, 0}, {0x8382, 0, 0},  // ﾏﾐﾑﾒﾓ
    {0x8384, 0, 0}, {0x8386, 0, 0}, {0x8388, 0, 0},                                  // ﾔﾕﾖ
    {0x8389, 0, 0}, {0x838A, 0, 0}, {0x838B, 0, 0}, {0x838C, 0, 0}, {0x838D, 0, 0},  // ﾗﾘﾙﾚﾛ
    {0x838F, 0, 0}, {0x8393, 0, 0},                                                  // ﾜﾝ
    {0x814A, 0, 0}, {0x814B, 0, 0},                                                  // ﾞﾟ
};
static_assert(sizeof(kKana) / sizeof(kKana[0]) == 63, "one row per byte 0xA1-0xDF");

}  // namespace

int ConvertHalfKanaToFull(int b, int next) {
  if (b < 0xA1 || b > 0xDF) return 0;
  const KanaRow& row = kKana[b - 0xA1];
  if (next == 0xDE && row.voiced != 0) return 0x10000 | row.voiced;
  if (next == 0xDF && row.semiVoiced != 0) return 0x10000 | row.semiVoiced;
  return row.plain;
}

}  // namespace textcodec
