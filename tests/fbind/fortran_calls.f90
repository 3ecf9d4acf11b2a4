! Calls the forms core's routines from Fortran the way forms programs do
! (no interface, every argument by address) and checks what the stand-in
! forms core received and what came back. Exits with status 1 on a failure.
module stand_in_forms_core
  use, intrinsic :: iso_c_binding, only: c_int32_t
  implicit none
  interface
    subroutine formc_reset_entries() bind(C, name='formc_reset_entries')
    end subroutine
    subroutine formc_set_result(result) bind(C, name='formc_set_result')
      import :: c_int32_t
      integer(c_int32_t), value :: result
    end subroutine
    subroutine formc_write_through(position, value) bind(C, name='formc_write_through')
      import :: c_int32_t
      integer(c_int32_t), value :: position, value
    end subroutine
    integer(c_int32_t) function formc_calls() bind(C, name='formc_calls')
      import :: c_int32_t
    end function
    integer(c_int32_t) function formc_last_entry() bind(C, name='formc_last_entry')
      import :: c_int32_t
    end function
    integer(c_int32_t) function formc_last_argument_count() &
        bind(C, name='formc_last_argument_count')
      import :: c_int32_t
    end function
    integer(c_int32_t) function formc_last_short() bind(C, name='formc_last_short')
      import :: c_int32_t
    end function
  end interface

  integer :: failures = 0

contains

  subroutine check(ok, what)
    logical, intent(in) :: ok
    character(*), intent(in) :: what
    if (.not. ok) then
      failures = failures + 1
      print '(a, a)', 'FAILED: ', what
    end if
  end subroutine

  ! One call of the entry point numbered entry, taking count arguments.
  subroutine check_call(entry, count, result, expected, what)
    integer, intent(in) :: entry, count, result, expected
    character(*), intent(in) :: what
    call check(formc_calls() == 1, what // ': entry point called once')
    call check(formc_last_entry() == entry, what // ': right entry point')
    call check(formc_last_argument_count() == count, what // ': argument count')
    call check(result == expected, what // ': result handed back')
  end subroutine

end module

program fortran_calls
  use stand_in_forms_core
  implicit none

  integer(4), external :: norix__compile_map, norix__compile_menu, norix__compile_sub_map, &
      norix__create_window, norix__delete, norix__delete_window, norix__drive_form, &
      norix__drive_menu, norix__fetch, norix__get_entree, norix__initialize_menu, &
      norix__insert, norix__load_form, norix__menu, norix__pop_window, norix__put_entree, &
      norix__reset_form, norix__suspend_window

  integer(4) :: a(10), r, wide
  integer(2) :: short
  integer(2), parameter :: named_short = 9_2
  integer :: i
  ! The 16-bit copy takes the first two bytes of what it is passed: of a
  ! 32-bit integer, the low half on a little-endian machine and the high half
  ! on a big-endian one. The first two bytes of 1 tell which this is.
  logical, parameter :: little_endian = transfer(1_4, 1_2) == 1_2

  a = [(100 + i, i = 1, 10)]
  short = 21_2

  ! Every routine is reachable under its Fortran name and hands back the result.
  call formc_reset_entries(); call formc_set_result(-101)
  r = norix__compile_map(a(1), a(2), a(3), short, a(5))
  call check_call(1, 5, r, -101, 'compile_map')
  call formc_reset_entries(); call formc_set_result(102)
  r = norix__compile_menu(a(1), a(2), a(3), a(4))
  call check_call(2, 4, r, 102, 'compile_menu')
  call formc_reset_entries(); call formc_set_result(103)
  wide = 3
  r = norix__compile_sub_map(a(1), a(2), a(3), wide, a(5))
  call check_call(3, 5, r, 103, 'compile_sub_map')
  call formc_reset_entries(); call formc_set_result(104)
  r = norix__create_window(a(1), short, a(3), a(4), a(5))
  call check_call(4, 5, r, 104, 'create_window')
  call formc_reset_entries(); call formc_set_result(105)
  r = norix__delete(a(1))
  call check_call(5, 1, r, 105, 'delete')
  call formc_reset_entries(); call formc_set_result(106)
  r = norix__delete_window(a(1))
  call check_call(6, 1, r, 106, 'delete_window')
  call formc_reset_entries(); call formc_set_result(107)
  r = norix__drive_form(a(1), a(2), a(3), a(4), a(5), a(6), a(7))
  call check_call(7, 7, r, 107, 'drive_form')
  call formc_reset_entries(); call formc_set_result(108)
  r = norix__drive_menu(a(1), a(2), wide, a(4), a(5), a(6), a(7), a(8), a(9), a(10))
  call check_call(8, 10, r, 108, 'drive_menu')
  call formc_reset_entries(); call formc_set_result(-2147483647 - 1)
  r = norix__fetch(a(1), a(2), a(3), a(4), a(5))
  call check_call(9, 5, r, -2147483647 - 1, 'fetch')
  call formc_reset_entries(); call formc_set_result(110)
  r = norix__get_entree(a(1), a(2), a(3), a(4), a(5))
  call check_call(10, 5, r, 110, 'get_entree')
  call formc_reset_entries(); call formc_set_result(111)
  r = norix__initialize_menu(a(1))
  call check_call(11, 1, r, 111, 'initialize_menu')
  call formc_reset_entries(); call formc_set_result(112)
  r = norix__insert(a(1), a(2), a(3), a(4), a(5))
  call check_call(12, 5, r, 112, 'insert')
  call formc_reset_entries(); call formc_set_result(113)
  r = norix__load_form(a(1), a(2), a(3), a(4), short, a(6))
  call check_call(13, 6, r, 113, 'load_form')
  call formc_reset_entries(); call formc_set_result(114)
  r = norix__menu(a(1), a(2), a(3), a(4))
  call check_call(14, 4, r, 114, 'menu')
  call formc_reset_entries(); call formc_set_result(115)
  r = norix__pop_window(a(1))
  call check_call(15, 1, r, 115, 'pop_window')
  call formc_reset_entries(); call formc_set_result(116)
  r = norix__put_entree(a(1), a(2), a(3), a(4))
  call check_call(16, 4, r, 116, 'put_entree')
  call formc_reset_entries(); call formc_set_result(117)
  r = norix__reset_form(a(1), a(2))
  call check_call(17, 2, r, 117, 'reset_form')
  call formc_reset_entries(); call formc_set_result(2147483647)
  r = norix__suspend_window(a(1))
  call check_call(18, 1, r, 2147483647, 'suspend_window')

  ! Stores by the entry point reach the Fortran variables.
  call formc_reset_entries()
  do i = 1, 10
    call formc_write_through(i, 1000 * i)
  end do
  a = 0
  r = norix__fetch(a(1), a(2), a(3), a(4), a(5))
  call check(all(a(1:5) == [1000, 2000, 3000, 4000, 5000]), 'fetch: stores reach the caller')
  call check(all(a(6:10) == 0), 'fetch: nothing stored past its arguments')
  a = 0
  r = norix__get_entree(a(1), a(2), a(3), a(4), a(5))
  call check(all(a(1:5) == [1000, 2000, 3000, 4000, 5000]), 'get_entree: stores reach the caller')

  ! A 32-bit integer in a 16-bit position arrives as its first two bytes, and
  ! the entry point's store there never reaches it; the other stores do.
  a = 0
  wide = 65539
  r = norix__drive_menu(a(1), a(2), wide, a(4), a(5), a(6), a(7), a(8), a(9), a(10))
  call check(formc_last_short() == merge(3, 1, little_endian), &
      'drive_menu: first half of 65539 arrives')
  call check(wide == 65539, 'drive_menu: 16-bit position not written back')
  call check(all(a([1, 2, 4, 5, 6, 7, 8, 9, 10]) == 1000 * [1, 2, 4, 5, 6, 7, 8, 9, 10]), &
      'drive_menu: other stores reach the caller')
  wide = 131071
  r = norix__compile_sub_map(a(1), a(2), a(3), wide, a(5))
  call check(formc_last_short() == merge(-1, 1, little_endian), &
      'compile_sub_map: first half of 131071 arrives')
  call check(wide == 131071, 'compile_sub_map: 16-bit position not written back')

  ! A 16-bit variable arrives as it is and is not written back either.
  short = -12345_2
  r = norix__compile_map(a(1), a(2), a(3), short, a(5))
  call check(formc_last_short() == -12345, 'compile_map: 16-bit variable arrives')
  call check(short == -12345_2, 'compile_map: 16-bit variable not written back')
  short = 77_2
  r = norix__create_window(a(1), short, a(3), a(4), a(5))
  call check(formc_last_short() == 77, 'create_window: 16-bit variable arrives')
  call check(short == 77_2, 'create_window: 16-bit variable not written back')

  ! Constants in 16-bit positions are read but never written: a store into
  ! one would stop the program.
  r = norix__load_form(a(1), a(2), a(3), a(4), named_short, a(6))
  call check(formc_last_short() == 9, 'load_form: named constant arrives')
  r = norix__load_form(a(1), a(2), a(3), a(4), 5_2, a(6))
  call check(formc_last_short() == 5, 'load_form: literal constant arrives')
  r = norix__compile_map(a(1), a(2), a(3), -4_2, a(5))
  call check(formc_last_short() == -4, 'compile_map: literal constant arrives')
  r = norix__drive_menu(a(1), a(2), 65542, a(4), a(5), a(6), a(7), a(8), a(9), a(10))
  call check(formc_last_short() == merge(6, 1, little_endian), &
      'drive_menu: first half of a 32-bit constant arrives')

  if (failures > 0) then
    print '(i0, a)', failures, ' check(s) failed'
    stop 1
  end if
  print '(a)', 'Fortran calls: all checks passed'
end program
