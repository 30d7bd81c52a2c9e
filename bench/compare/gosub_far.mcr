' GOSUB to a routine after 2,000 other lines
*MAIN
  For K& = 1 To @N@
    Gosub *FAR
  Next K&
Return
@PAD@
*FAR
Return
