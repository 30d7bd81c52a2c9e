' Texts print in UTF-8 unless QOR-Option.ini names another code page.
*MAIN
  Print "Größe"
Return
