*main
  print a
  y# = 1e999
return
