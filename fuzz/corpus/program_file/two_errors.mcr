A& = 1
print b
C& = A& + 1
y# = 1e999
Print C&
