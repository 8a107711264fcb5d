// Machine constants of IEEE double precision and 32-bit integers, and the
// unit numbers of the console.
#ifndef RAINCORR_SPECFUN_MACHINE_H_
#define RAINCORR_SPECFUN_MACHINE_H_

namespace raincorr {

// Double-precision constants, n = 1 to 8:
//   1 smallest positive normal number 2^-1022    5 log10(2)
//   2 largest finite number                      6 quiet NaN (sign 0, top mantissa bit)
//   3 smallest relative spacing 2^-53            7 +infinity
//   4 largest relative spacing 2^-52             8 -infinity
// Any other n prints a TERMINAL error (code 5) under the name "DMACH" and
// ends the run. Only that error path touches the error stack.
double DMACH(int n);

// Integer constants, n = 1 to 12: bits (32), characters (4), base (2) and
// digits (31) of an integer, the largest integer, the floating-point base,
// then mantissa digits, smallest and largest exponent of single (24, -125,
// 128) and double precision (53, -1021, 1024). Any other n prints the fixed
// three-line TERMINAL message of IMACH on the error console and ends the run
// (without using the error stack).
int IMACH(int n);

// Unit numbers: 1 standard input (5), 2 standard output (6), 3 the unit of
// error messages (6). n = 1, 2, 3 stores entry n into `unit`; n = -1, -2, -3
// replaces entry |n| by `unit`. The table only records numbers: the error
// facility prints on its console stream whatever entry 3 says. Any other n
// prints the fixed TERMINAL message of UMACH on the error console and ends
// the run (without using the error stack).
void UMACH(int n, int& unit);

}  // namespace raincorr

#endif  // RAINCORR_SPECFUN_MACHINE_H_
