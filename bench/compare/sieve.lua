-- a sieve of Eratosthenes over 1000 numbers, repeated (an iteration is one repeat)
local f = {}
for r = 1, @N@ do
  for i = 2, 1000 do f[i] = 1 end
  for i = 2, 31 do
    if f[i] == 1 then for j = i * i, 1000, i do f[j] = 0 end end
  end
end
