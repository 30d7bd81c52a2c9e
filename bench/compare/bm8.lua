-- BM8: powers, logarithms and sines
local k = 0
::l::
k = k + 1
local a, b, c = k ^ 2, math.log(k), math.sin(k)
if k < @N@ then goto l end
