-- GOSUB to a routine after 2,000 other lines
local function far() end
@PAD@
for k = 1, @N@ do far() end
