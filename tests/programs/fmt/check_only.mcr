*main
  print 1
return
