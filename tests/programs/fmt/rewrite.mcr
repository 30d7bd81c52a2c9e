' Keywords in any case, names in lower case, numbers in other bases
option explicit
dim count&, names$(3)
*main
  for count& = &h0 to 3 : names$(count&) = "n" + str$(count&) : next count&
            ?names$(2);   "Größe"   ' twelve spaces of indentation stay
  if count& <> 4 then  rem  a comment keeps  its  spacing
    print "wrong" : goto *main
  endif
return
