! A Fortran program built against an installed tree only: it calls forms core
! routines under their Fortran names, every argument by address, as forms
! programs do. Exits with status 1 when a step misbehaves.
program installed_fortran
  implicit none
  integer(4), external :: norix__delete_window, norix__fetch
  integer(4) :: a(5), r

  a = [1, 2, 3, 4, 5]
  r = norix__delete_window(a(1))
  if (r /= 0) stop 1
  r = norix__fetch(a(1), a(2), a(3), a(4), a(5))
  if (r /= 0) stop 1
  print '(a)', 'fortran program: all steps passed'
end program
