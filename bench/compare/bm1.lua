-- BM1: an empty FOR loop
for k = 1, @N@ do end
