-- BM3: BM2 with arithmetic on the counter
local k = 0
::l::
k = k + 1
local a = k / k * k + k - k
if k < @N@ then goto l end
