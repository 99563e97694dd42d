"""32-bit Mersenne Twister with the standard initialisation.

Python's random module seeds differently (init_by_array), so it cannot stand
in for the generator the key table is scrambled with.
"""

_N = 624
_M = 397
_MATRIX_A = 0x9908B0DF
_UPPER = 0x80000000
_LOWER = 0x7FFFFFFF
_MASK = 0xFFFFFFFF


class MT19937:
    def __init__(self, seed):
        self.mt = [0] * _N
        self.mt[0] = seed & _MASK
        for i in range(1, _N):
            prev = self.mt[i - 1]
            self.mt[i] = (1812433253 * (prev ^ (prev >> 30)) + i) & _MASK
        self.index = _N

    def _twist(self):
        mt = self.mt
        for i in range(_N):
            y = (mt[i] & _UPPER) | (mt[(i + 1) % _N] & _LOWER)
            v = mt[(i + _M) % _N] ^ (y >> 1)
            if y & 1:
                v ^= _MATRIX_A
            mt[i] = v
        self.index = 0

    def next_u32(self):
        if self.index >= _N:
            self._twist()
        y = self.mt[self.index]
        self.index += 1
        y ^= y >> 11
        y ^= (y << 7) & 0x9D2C5680
        y ^= (y << 15) & 0xEFC60000
        y ^= y >> 18
        return y & _MASK
