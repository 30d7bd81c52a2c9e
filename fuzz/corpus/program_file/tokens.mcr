*START
a& = &H10 + &hFFFFFFFF + &o17 + &B101
d# = 0.1 + 1e3 + 2.5E-3 + 70000 + 3.0 + 2147483648 + 1e20 + .5
s$ = "say ""hi""" + ""
if a& >= 3 then goto *START else gosub 100
? s$
print left$(s$, 2); MID$(s$,1,1), cr_lf$; m_pi; true
x& = 7 mod 2 and not 1 or 3 xor 4
z! = 1 <> 2 >< 3 <= 4 =< 5 => 6 >= 7 < 8 > 9
rem  keep   this "text" as  IS
' apostrophe comment
    Print "four spaces"
for i& = 1 to 10 step 2 : next i&, j&
select case v! : case else : end select
line input #1, s$
Dim arr&(10), names$(3) : arr&(1) = -5
sc.Item& = sy.Data# + sc.List&(2)
Gosub *SUB1, *SUB2
Sub *Helper
end sub
end if
open "f.txt" for output as #1
