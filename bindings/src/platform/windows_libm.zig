//! The maths functions a Windows library would otherwise import from the C
//! runtime (api-ms-win-crt-math), whose results are Microsoft's (or Wine's)
//! and differ from platform to platform. Zig's musl builds take acos, atan
//! and hypot from Zig's standard library, and atan2 from musl's C, which the
//! standard library's atan2 ports line for line; remainder is musl's, over
//! musl's remquo.c from the copy Zig ships, compiled beside this. A Windows
//! library that carries them answers as the musl one does, bit for bit.
const std = @import("std");

export fn acos(x: f64) f64 {
    return std.math.acos(x);
}

export fn atan(x: f64) f64 {
    return std.math.atan(x);
}

export fn atan2(y: f64, x: f64) f64 {
    return std.math.atan2(y, x);
}

export fn hypot(x: f64, y: f64) f64 {
    return std.math.hypot(x, y);
}

extern fn remquo(x: f64, y: f64, quo: *c_int) f64;

// musl's remainder.c: the remainder of remquo, its quotient dropped.
export fn remainder(x: f64, y: f64) f64 {
    var quo: c_int = undefined;
    return remquo(x, y, &quo);
}
