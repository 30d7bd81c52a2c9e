Option Explicit
Dim Count&
Dim Index& : Index& = Count& + 1
Total& = Missing# + Count&
Print Index&
