-- BM5: BM4 and a subroutine call
local function s() end
local k = 0
::l::
k = k + 1
local a = k / 2 * 3 + 4 - 5
s()
if k < @N@ then goto l end
