// Spot checks of the correctly rounded float functions. The expected
// values are MPFR's at 200 bits rounded to the nearest float. The
// arguments are of three kinds: ones where glibc 2.36's float functions
// round the other way (sinf, cosf, asinf, acosf and atan2f would fail
// here), the ones of a function's range that come closest to a midpoint
// of two floats (within 1e-9 of an ulp: only the double-double stage
// decides them), and the edges (the largest floats, the floats nearest to
// a multiple of pi/2, the ends of the shortcuts, subnormals, zeros,
// infinities). tests/exhaustive/correct_rounding checks every argument.
#include "math/float_functions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

struct Case {
  float x;
  float expected;
};

struct PairCase {
  float y;
  float x;
  float expected;
};

const float INF = std::numeric_limits<float>::infinity();
const float NOT_A_NUMBER = std::numeric_limits<float>::quiet_NaN();

// Bit for bit, so that -0 is told from +0.
uint32_t bits_of(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

#define EXPECT_SAME_FLOAT(expected, actual, argument)                            \
  EXPECT_EQ(bits_of(expected), bits_of(actual))                                  \
      << std::hexfloat << "argument " << (argument) << ": expected " << (expected) \
      << ", got " << (actual)

TEST(FloatFunctionsTest, SineAtStoredArguments) {
  const Case cases[] = {
      {0x1.8d0f66p+7f, -0x1.2532bap-1f},    // glibc's sinf rounds the other way
      {0x1.78ef66p+23f, 0x1.5221cap-1f},    // glibc
      {0x1.487e0cp+103f, 0x1.287508p-2f},   // 5e-10 ulp from a midpoint
      {0x1.33333p+13f, -0x1.63f4bap-2f},    // 7e-10 ulp
      {0x1.f37c8ap+96f, -0x1.bbdd52p-29f},  // the float nearest to a multiple of pi
      {0x1.fffffep+127f, -0x1.0b3366p-1f},  // the largest float
      {0x1.921fb6p+1f, -0x1.777a5cp-24f},   // pi as a float
      {0x1.921fb6p+0f, 1.0f},
      {0x1.2d97c8p+1f, 0x1.6a09e6p-1f},
      {0x1p-12f, 0x1p-12f},                 // the end of the shortcut
      {0x1p-149f, 0x1p-149f},
      {0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    EXPECT_SAME_FLOAT(c.expected, sin_cr(c.x), c.x);
    EXPECT_SAME_FLOAT(-c.expected, sin_cr(-c.x), -c.x);
  }
  EXPECT_TRUE(std::isnan(sin_cr(INF)));
  EXPECT_TRUE(std::isnan(sin_cr(-INF)));
  EXPECT_TRUE(std::isnan(sin_cr(NOT_A_NUMBER)));
}

TEST(FloatFunctionsTest, CosineAtStoredArguments) {
  const Case cases[] = {
      {0x1.3aaf66p+12f, -0x1.100b12p-1f},   // glibc's cosf rounds the other way
      {0x1.7fef66p+44f, 0x1.6010dap-4f},    // glibc
      {0x1.2b9622p+67f, 0x1.f0285ep-1f},    // 2e-10 ulp from a midpoint
      {0x1.4555p+51f, 0x1.115d7ep-1f},      // 1e-9 ulp
      {0x1.f37c8ap+95f, -0x1.bbdd52p-30f},  // the float nearest to an odd multiple of pi/2
      {0x1.fffffep+127f, 0x1.b4bf2cp-1f},
      {0x1.5p+24f, 0x1.684f66p-1f},
      {0x1.921fb6p+0f, -0x1.777a5cp-25f},
      {0x1.921fb6p+1f, -1.0f},
      {0x1p-12f, 1.0f},                     // the end of the shortcut
      {0x1.000002p-12f, 0x1.fffffep-1f},    // and the first argument past it
      {0x1p-149f, 1.0f},
      {0.0f, 1.0f},
  };
  for (const Case& c : cases) {
    EXPECT_SAME_FLOAT(c.expected, cos_cr(c.x), c.x);
    EXPECT_SAME_FLOAT(c.expected, cos_cr(-c.x), -c.x);
  }
  EXPECT_TRUE(std::isnan(cos_cr(INF)));
  EXPECT_TRUE(std::isnan(cos_cr(NOT_A_NUMBER)));
}

TEST(FloatFunctionsTest, ArcsineAtStoredArguments) {
  const Case cases[] = {
      {0x1.e92f66p-3f, 0x1.edf5e2p-3f},    // glibc's asinf rounds the other way
      {0x1.b54f66p-1f, 0x1.061ba2p+0f},    // glibc, above sqrt(1/2)
      {0x1.107434p-1f, 0x1.1f4b64p-1f},    // 7e-10 ulp from a midpoint
      {0x1.d12edp-12f, 0x1.d12ed2p-12f},   // 1e-8 ulp, just below the shortcut's end
      {0x1.d2ef66p-1f, 0x1.25e954p+0f},
      {0x1.fffffep-1f, 0x1.920914p+0f},
      {1.0f, 0x1.921fb6p+0f},
      {0x1p-12f, 0x1p-12f},
      {0x1p-149f, 0x1p-149f},
      {0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    EXPECT_SAME_FLOAT(c.expected, asin_cr(c.x), c.x);
    EXPECT_SAME_FLOAT(-c.expected, asin_cr(-c.x), -c.x);
  }
  for (float x : {0x1.000002p+0f, -0x1.000002p+0f, INF, NOT_A_NUMBER})
    EXPECT_TRUE(std::isnan(asin_cr(x))) << x;
}

TEST(FloatFunctionsTest, ArccosineAtStoredArguments) {
  const Case cases[] = {
      {0x1.bbef66p-3f, 0x1.5a301ep+0f},    // glibc's acosf rounds the other way
      {0x1.d2ef66p-1f, 0x1.b0d984p-2f},    // glibc
      {0x1.04c444p-12f, 0x1.920f6ap+0f},   // 8e-11 ulp from a midpoint
      {0x1.110b46p-26f, 0x1.921fb6p+0f},   // 5e-10 ulp, and its neighbour rounds down:
      {0x1.110b48p-26f, 0x1.921fb4p+0f},
      {-0x1.04c444p-12f, 0x1.923002p+0f},
      {-0x1.d2ef66p-1f, 0x1.5c0484p+1f},
      {0x1.fffffep-1f, 0x1.6a09e6p-12f},
      {-0x1.fffffep-1f, 0x1.921464p+1f},
      {1.0f, 0.0f},
      {-1.0f, 0x1.921fb6p+1f},
      {0.0f, 0x1.921fb6p+0f},
      {-0.0f, 0x1.921fb6p+0f},
  };
  for (const Case& c : cases) EXPECT_SAME_FLOAT(c.expected, acos_cr(c.x), c.x);
  for (float x : {0x1.000002p+0f, -0x1.000002p+0f, -INF, NOT_A_NUMBER})
    EXPECT_TRUE(std::isnan(acos_cr(x))) << x;
}

TEST(FloatFunctionsTest, TwoArgumentArctangentAtStoredArguments) {
  const PairCase cases[] = {
      {-0x1.382096p-9f, -0x1.d4abbcp-11f, -0x1.ee0e3p+0f},  // glibc's atan2f rounds the other way
      {0x1.38237ap+11f, -0x1.47c53ap-12f, 0x1.921fb8p+0f},  // glibc
      {0x1.098a5p-11f, 0x1.eb5ebcp-5f, 0x1.14aeaap-7f},     // glibc
      {0x1.d3dcc8p-14f, -0x1.c35acap-6f, 0x1.919b08p+1f},   // near a midpoint, in each
      {0x1.0b14p+0f, 0x1.38ffe4p-12f, 0x1.920cf4p+0f},      // branch of the reduction
      {0x1.192fa2p-9f, 0x1.b1831p-7f, 0x1.493ac4p-3f},
      {-0x1.2febfcp-17f, -0x1.17751cp-8f, -0x1.91da1cp+1f},
      {0x1p-130f, 3.0f, 0x1.55558p-132f},                   // subnormal results
      {-0x1p-149f, 0x1p-20f, -0x1p-129f},
      {0x1p-149f, 0x1p+127f, 0.0f},
      {0x1p-149f, 0x1p-149f, 0x1.921fb6p-1f},
      {-0x1.fffffep+127f, -0x1.fffffep+127f, -0x1.2d97c8p+1f},
      // Zeros and infinities as in C's atan2f.
      {0.0f, 1.0f, 0.0f},
      {-0.0f, 1.0f, -0.0f},
      {0.0f, 0.0f, 0.0f},
      {-0.0f, 0.0f, -0.0f},
      {0.0f, -0.0f, 0x1.921fb6p+1f},
      {-0.0f, -0.0f, -0x1.921fb6p+1f},
      {0.0f, -1.0f, 0x1.921fb6p+1f},
      {-0.0f, -INF, -0x1.921fb6p+1f},
      {1.0f, 0.0f, 0x1.921fb6p+0f},
      {-1.0f, -0.0f, -0x1.921fb6p+0f},
      {INF, 1.0f, 0x1.921fb6p+0f},
      {-INF, -0.0f, -0x1.921fb6p+0f},
      {INF, INF, 0x1.921fb6p-1f},
      {-INF, -INF, -0x1.2d97c8p+1f},
      {1.0f, INF, 0.0f},
      {-1.0f, INF, -0.0f},
      {1.0f, -INF, 0x1.921fb6p+1f},
      {-1.0f, -INF, -0x1.921fb6p+1f},
  };
  for (const PairCase& c : cases)
    EXPECT_EQ(bits_of(c.expected), bits_of(atan2_cr(c.y, c.x)))
        << std::hexfloat << "atan2(" << c.y << ", " << c.x << ")";
  EXPECT_TRUE(std::isnan(atan2_cr(NOT_A_NUMBER, 1.0f)));
  EXPECT_TRUE(std::isnan(atan2_cr(1.0f, NOT_A_NUMBER)));
}

}  // namespace
