-- BM7: BM6 storing into an array
local function s() end
local k = 0
local m = {}
::l::
k = k + 1
local a = k / 2 * 3 + 4 - 5
s()
for l = 1, 5 do m[l] = a end
if k < @N@ then goto l end
