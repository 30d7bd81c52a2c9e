-- BM4: BM2 with arithmetic on constants
local k = 0
::l::
k = k + 1
local a = k / 2 * 3 + 4 - 5
if k < @N@ then goto l end
