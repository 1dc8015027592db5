/* Force-included (-include) by the glibc 2.17 Zig toolchains. Zig's compiler
 * runtime defines weak sin, cos, floor, fmod ... of its own, which the linker
 * would take instead of glibc's libm, and the answers would change. Binding
 * each call to glibc's versioned symbol makes the library import it from
 * libm, as the native build does: the same function, the same bits. */
#if defined(__x86_64__)
#define NERITH_LIBM_VERSION "GLIBC_2.2.5"
#elif defined(__aarch64__)
#define NERITH_LIBM_VERSION "GLIBC_2.17"
#else
#error "no glibc base version known for this CPU"
#endif
#define NERITH_LIBM(name) __asm__(".symver " #name "," #name "@" NERITH_LIBM_VERSION);
/* What the compiler runtime defines, double and float. */
NERITH_LIBM(ceil) NERITH_LIBM(cos) NERITH_LIBM(exp) NERITH_LIBM(exp2) NERITH_LIBM(fabs)
NERITH_LIBM(floor) NERITH_LIBM(fma) NERITH_LIBM(fmax) NERITH_LIBM(fmin) NERITH_LIBM(fmod)
NERITH_LIBM(log) NERITH_LIBM(log10) NERITH_LIBM(log2) NERITH_LIBM(round) NERITH_LIBM(sin)
NERITH_LIBM(sincos) NERITH_LIBM(sqrt) NERITH_LIBM(tan) NERITH_LIBM(trunc)
NERITH_LIBM(ceilf) NERITH_LIBM(cosf) NERITH_LIBM(expf) NERITH_LIBM(exp2f) NERITH_LIBM(fabsf)
NERITH_LIBM(floorf) NERITH_LIBM(fmaf) NERITH_LIBM(fmaxf) NERITH_LIBM(fminf) NERITH_LIBM(fmodf)
NERITH_LIBM(logf) NERITH_LIBM(log10f) NERITH_LIBM(log2f) NERITH_LIBM(roundf) NERITH_LIBM(sinf)
NERITH_LIBM(sincosf) NERITH_LIBM(sqrtf) NERITH_LIBM(tanf) NERITH_LIBM(truncf)
#undef NERITH_LIBM
#undef NERITH_LIBM_VERSION
