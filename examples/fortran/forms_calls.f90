! A Fortran forms program calls the forms core through the fbind wrappers:
! by the entry point's own name (the compiler adds the underscore), every
! argument by reference. The argument that a wrapper passes through a 16-bit
! copy is declared INTEGER*2, so it arrives exactly.
!
!   forms_calls
program forms_calls
  implicit none
  integer :: norix__load_form, norix__drive_form, norix__fetch, norix__delete
  integer :: form, database, name_area, options, window, status
  integer :: field, value, length, flags, terminator
  integer*2 :: name_length

  form = 0
  database = 1
  name_area = 0
  options = 0
  window = 0
  name_length = 8

  ! Each result is the forms core's own, handed back unchanged; here a
  ! non-zero one stops the program.
  status = norix__load_form(form, database, name_area, options, name_length, window)
  call check('load_form', status)
  status = norix__drive_form(form, window, field, value, length, flags, terminator)
  call check('drive_form', status)
  status = norix__fetch(form, field, value, length, flags)
  call check('fetch', status)
  status = norix__delete(form)
  call check('delete', status)
  print '(a)', 'form loaded, driven, fetched and deleted'

contains

  subroutine check(step, status)
    character(*), intent(in) :: step
    integer, intent(in) :: status
    if (status /= 0) then
      print '(a, a, i0)', step, ' failed with ', status
      stop 1
    end if
    print '(a, a)', step, ': done'
  end subroutine

end program
